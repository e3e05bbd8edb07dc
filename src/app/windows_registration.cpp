#include "app/windows_registration.h"

#include <vector>

#include "app/windows_notice.h"
#include "opcda/registration/server_registration.h"
#include "opcda/registration/system_registration.h"
#include "platform/clock.h"
#include "platform/program_folder.h"

namespace iec {

int RunRegistration(bool register_server, bool per_user, std::ostream& log) {
    const std::string stamp = SystemClock::Instance().Now().FormatDisplay() + " ";
    const std::string exe = ExecutablePath().string();
    std::string why;
    const auto registry = opcda::SystemClassesRegistry();
    const auto categories = opcda::SystemCategoryManager(why);
    if (categories != nullptr) {
        opcda::RegistrationSetup setup;
        setup.local_server = opcda::LocalServerCommand(exe, opcda::ShortPathOf(exe));
        setup.lcid = opcda::UserDefaultLcid();
        std::vector<std::string> done;
        why = register_server ? opcda::RegisterServer(*registry, *categories, setup, per_user, done)
                              : opcda::UnregisterServer(*registry, *categories, setup, per_user, done);
        for (const auto& line : done) log << stamp << line << std::endl;
    }
    if (why.empty()) return 0;
    const std::string text = std::string(register_server ? "Регистрация" : "Отмена регистрации") +
                             " OPC-сервера не выполнена:\n" + why;
    log << stamp << (register_server ? "registration" : "unregistration") << " failed: " << why << std::endl;
    ShowNotice(text, true);
    return 1;
}

}  // namespace iec
