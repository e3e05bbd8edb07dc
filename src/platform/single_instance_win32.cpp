#include "platform/single_instance.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace iec {

SingleInstance::SingleInstance(const std::string& name) {
    const HANDLE h = ::CreateMutexW(nullptr, FALSE, Utf8ToWide("Global\\" + name).c_str());
    const DWORD error = ::GetLastError();
    handle_ = h;
    first_ = h != nullptr && error != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
    if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
}

}  // namespace iec
