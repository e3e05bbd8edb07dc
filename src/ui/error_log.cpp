#include "ui/error_log.h"

#include <cxxabi.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <typeinfo>

#include "platform/cp1251.h"

namespace iec {
namespace {

std::string TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

}  // namespace

void ErrorLog::Append(const std::string& message, const std::string& class_name) const {
    std::ofstream out(File(), std::ios::binary | std::ios::app);
    if (!out) return;
    out << Utf8ToCp1251(clock_.Now().FormatDisplay() + ": " + message + " . Class Name = " + class_name) << "\r\n";
}

void ErrorLog::Append(const std::exception_ptr& error) const {
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        Append(e.what(), TypeName(typeid(e)));
    } catch (...) {
        Append("unknown error", "unknown");
    }
}

void ErrorLog::Guard(const std::function<void()>& work) const {
    try {
        work();
    } catch (...) {
        Append(std::current_exception());
    }
}

}  // namespace iec
