#include "ui/opcua_dialog.h"

#include "platform/number_text.h"

namespace iec {
namespace {

// A user name or password is one field of its line in iec101.cfg (no ",", no blanks at its ends, which the reader
// trims) and one octet per character for the server library (printable ASCII).
std::string CredentialProblem(const std::string& text, const char* what) {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b > 0x7E) return std::string(what) + ": допустимы только латинские буквы, цифры и знаки";
        if (c == ',') return std::string(what) + ": символ «,» недопустим";
    }
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
        return std::string(what) + ": пробелы в начале и в конце недопустимы";
    }
    return {};
}

}  // namespace

void OpcUaDialog::Open(OpcUaSettings& settings) {
    if (settings.OPC_UA_Port == 0) settings.OPC_UA_Port = kOpcUaDefaultPort;
    form_.OPC_UA_use = settings.OPC_UA_use;
    form_.OPC_UA_writable = settings.OPC_UA_writable;
    form_.OPC_UA_by_pwd = settings.OPC_UA_by_pwd;
    form_.OPC_UA_username = settings.OPC_UA_username;
    form_.OPC_UA_password = settings.OPC_UA_password;
    form_.Port = std::to_string(settings.OPC_UA_Port);
}

std::string OpcUaDialog::Check() const {
    const std::optional<int32_t> port = ParseInt(form_.Port);
    if (!port || *port < kOpcUaPortMin || *port > kOpcUaPortMax) {
        return "Порт: ожидается целое число от " + std::to_string(kOpcUaPortMin) + " до " +
               std::to_string(kOpcUaPortMax);
    }
    if (std::string why = CredentialProblem(form_.OPC_UA_username, "Имя пользователя"); !why.empty()) return why;
    if (std::string why = CredentialProblem(form_.OPC_UA_password, "Пароль"); !why.empty()) return why;
    if (form_.OPC_UA_username.size() + form_.OPC_UA_password.size() > kOpcUaCredentialsMax ||
        form_.OPC_UA_username.size() >= kOpcUaCredentialsMax) {
        return "Имя пользователя и пароль вместе длиннее " + std::to_string(kOpcUaCredentialsMax) + " символов";
    }
    return {};
}

void OpcUaDialog::Store(OpcUaSettings& settings) const {
    settings.OPC_UA_use = form_.OPC_UA_use;
    settings.OPC_UA_writable = form_.OPC_UA_writable;
    settings.OPC_UA_by_pwd = form_.OPC_UA_by_pwd;
    settings.OPC_UA_username = form_.OPC_UA_username;
    settings.OPC_UA_password = form_.OPC_UA_password;
    settings.OPC_UA_Port = ParseInt(form_.Port).value_or(settings.OPC_UA_Port);
}

}  // namespace iec
