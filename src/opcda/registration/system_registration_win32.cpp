#include "opcda/registration/system_registration.h"

#include <windows.h>
#include <comcat.h>

#include "platform/wide_text.h"

namespace iec::opcda {
namespace {

std::string RegistryError(LSTATUS status) { return SystemErrorText(static_cast<unsigned long>(status)); }

// HKEY_CLASSES_ROOT: the machine's classes merged with the user's, written where the system puts new classes.
class SystemRegistry final : public ClassesRegistry {
public:
    std::string CreateKey(const std::string& key) override {
        HKEY h = nullptr;
        const LSTATUS s = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, nullptr, 0, KEY_WRITE,
                                            nullptr, &h, nullptr);
        if (s != ERROR_SUCCESS) return RegistryError(s);
        ::RegCloseKey(h);
        return {};
    }

    std::string SetValue(const std::string& key, const std::string& name, const std::string& data) override {
        HKEY h = nullptr;
        LSTATUS s = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                      &h, nullptr);
        if (s != ERROR_SUCCESS) return RegistryError(s);
        const std::wstring text = Utf8ToWide(data);
        const std::wstring value_name = Utf8ToWide(name);
        s = ::RegSetValueExW(h, name.empty() ? nullptr : value_name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(h);
        return s == ERROR_SUCCESS ? std::string() : RegistryError(s);
    }

    std::optional<std::string> GetValue(const std::string& key, const std::string& name) const override {
        HKEY h = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        const std::wstring value_name = Utf8ToWide(name);
        const wchar_t* n = name.empty() ? nullptr : value_name.c_str();
        DWORD type = 0;
        DWORD bytes = 0;
        std::optional<std::string> result;
        if (::RegQueryValueExW(h, n, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
            DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            if (::RegQueryValueExW(h, n, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
                ERROR_SUCCESS) {
                text.resize(size / sizeof(wchar_t));
                while (!text.empty() && text.back() == L'\0') text.pop_back();
                result = WideToUtf8(text);
            }
        }
        ::RegCloseKey(h);
        return result;
    }

    bool KeyExists(const std::string& key) const override {
        HKEY h = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
        ::RegCloseKey(h);
        return true;
    }

    std::vector<std::string> SubKeys(const std::string& key) const override {
        std::vector<std::string> names;
        HKEY h = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD length = static_cast<DWORD>(std::size(name));
            if (::RegEnumKeyExW(h, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.push_back(WideToUtf8(std::wstring_view(name, length)));
        }
        ::RegCloseKey(h);
        return names;
    }

    std::string DeleteTree(const std::string& key) override {
        const LSTATUS s = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str());
        return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? std::string() : RegistryError(s);
    }
};

std::string ComError(HRESULT hr) { return SystemErrorText(static_cast<unsigned long>(hr)); }

bool ParseGuid(const std::string& text, GUID& guid) {
    return ::CLSIDFromString(Utf8ToWide(text).c_str(), &guid) == NOERROR;
}

std::string GuidText(const GUID& guid) {
    wchar_t text[64];
    const int n = ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
    return n > 0 ? WideToUtf8(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
}

class SystemCategories final : public CategoryManager {
public:
    SystemCategories(ICatRegister* reg, ICatInformation* info) : reg_(reg), info_(info) {}
    ~SystemCategories() override {
        reg_->Release();
        info_->Release();
    }
    SystemCategories(const SystemCategories&) = delete;
    SystemCategories& operator=(const SystemCategories&) = delete;

    std::string RegisterCategory(const std::string& catid, unsigned lcid, const std::string& description) override {
        CATEGORYINFO info{};
        if (!ParseGuid(catid, info.catid)) return "not a category ID: " + catid;
        info.lcid = lcid;
        // At most 127 characters, as the category manager keeps them.
        const std::wstring text = Utf8ToWide(description);
        ::lstrcpynW(info.szDescription, text.c_str(), static_cast<int>(std::size(info.szDescription)));
        const HRESULT hr = reg_->RegisterCategories(1, &info);
        return SUCCEEDED(hr) ? std::string() : ComError(hr);
    }

    std::string UnregisterCategory(const std::string& catid) override {
        CATID id;
        if (!ParseGuid(catid, id)) return "not a category ID: " + catid;
        const HRESULT hr = reg_->UnRegisterCategories(1, &id);
        return SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? std::string() : ComError(hr);
    }

    std::string RegisterClassInCategory(const std::string& clsid, const std::string& catid) override {
        CLSID c;
        CATID id;
        if (!ParseGuid(clsid, c) || !ParseGuid(catid, id)) return "not a class or category ID";
        const HRESULT hr = reg_->RegisterClassImplCategories(c, 1, &id);
        return SUCCEEDED(hr) ? std::string() : ComError(hr);
    }

    std::string UnregisterClassFromCategory(const std::string& clsid, const std::string& catid) override {
        CLSID c;
        CATID id;
        if (!ParseGuid(clsid, c) || !ParseGuid(catid, id)) return "not a class or category ID";
        const HRESULT hr = reg_->UnRegisterClassImplCategories(c, 1, &id);
        // A class that was never in the category is out of it.
        return SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? std::string() : ComError(hr);
    }

    std::optional<std::string> CategoryDescription(const std::string& catid, unsigned lcid) const override {
        CATID id;
        if (!ParseGuid(catid, id)) return std::nullopt;
        LPWSTR text = nullptr;
        if (FAILED(info_->GetCategoryDesc(id, lcid, &text)) || text == nullptr) return std::nullopt;
        std::string result = WideToUtf8(text);
        ::CoTaskMemFree(text);
        return result;
    }

    std::vector<std::string> ClassesInCategory(const std::string& catid) const override {
        std::vector<std::string> classes;
        CATID id;
        if (!ParseGuid(catid, id)) return classes;
        IEnumGUID* e = nullptr;
        // (ULONG)-1 required categories: which categories a class requires does not matter here.
        if (FAILED(info_->EnumClassesOfCategories(1, &id, static_cast<ULONG>(-1), nullptr, &e)) || e == nullptr) {
            return classes;
        }
        GUID clsid;
        ULONG fetched = 0;
        while (e->Next(1, &clsid, &fetched) == S_OK && fetched == 1) classes.push_back(GuidText(clsid));
        e->Release();
        return classes;
    }

private:
    ICatRegister* reg_;
    ICatInformation* info_;
};

}  // namespace

std::unique_ptr<ClassesRegistry> SystemClassesRegistry() { return std::make_unique<SystemRegistry>(); }

std::unique_ptr<CategoryManager> SystemCategoryManager(std::string& why) {
    ICatRegister* reg = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                    reinterpret_cast<void**>(&reg));
    if (FAILED(hr)) {
        why = "component category manager: " + ComError(hr);
        return nullptr;
    }
    ICatInformation* info = nullptr;
    hr = reg->QueryInterface(IID_ICatInformation, reinterpret_cast<void**>(&info));
    if (FAILED(hr)) {
        reg->Release();
        why = "component category manager: " + ComError(hr);
        return nullptr;
    }
    return std::make_unique<SystemCategories>(reg, info);
}

unsigned UserDefaultLcid() { return ::GetUserDefaultLCID(); }

std::string ShortPathOf(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD n = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring out(n, L'\0');
    const DWORD m = ::GetShortPathNameW(wide.c_str(), out.data(), n);
    if (m == 0 || m >= n) return {};
    out.resize(m);
    return WideToUtf8(out);
}

}  // namespace iec::opcda
