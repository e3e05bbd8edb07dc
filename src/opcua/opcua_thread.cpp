#include "opcua/opcua_thread.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace iec {
namespace {

void LowerThreadPriority() {
#ifdef _WIN32
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#else
    // Linux gives each thread its own nice value.
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0) ::setpriority(PRIO_PROCESS, tid, nice + 1);
#endif
}

}  // namespace

TOPCUAThread::TOPCUAThread(const UaEntryPoints& api, const Arguments& arguments, void (*write_callback)(int),
                           std::function<void(int result)> ended)
    : api_(api), arguments_(arguments), write_callback_(write_callback), ended_(std::move(ended)) {}

TOPCUAThread::~TOPCUAThread() { Stop(); }

void TOPCUAThread::Start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void TOPCUAThread::Stop() {
    if (!thread_.joinable()) return;
    api_.setrunning_bool(0);
    thread_.join();
}

void TOPCUAThread::Execute() {
    LowerThreadPriority();
    const Arguments& a = arguments_;
    const int result = api_.UA_ServerNetworkLayerTCP_dll(a.port, a.password_login, a.user_name_length,
                                                         a.password_length, write_callback_, a.credentials.data(),
                                                         kBufferSize);
    if (ended_) ended_(result);
}

}  // namespace iec
