// The registry a registration run leaves, key by key, and what removing it leaves; the Data Access 2.0 category
// shared with other installations; the LocalServer32 command of a path with a blank.
#include <gtest/gtest.h>

#include "memory_registry.h"
#include "opcda/registration/server_identity.h"
#include "opcda/registration/server_registration.h"

namespace iec::opcda {
namespace {

using test::MemoryCategories;
using test::MemoryRegistry;

constexpr const char* kClass = "CLSID\\{E33BF843-F627-42BE-B289-9C249D651BC7}";
constexpr const char* kCategory = "Component Categories\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
constexpr unsigned kRussian = 0x419;

class Registration : public ::testing::Test {
protected:
    // The keys every Windows registry has.
    Registration() {
        for (const char* root : {"CLSID", "AppID", "Component Categories", "Interface"}) reg_.CreateKey(root);
        roots_ = reg_.Dump();
    }
    std::string Register(const std::string& local_server = "C:\\OPC\\iec101opc.exe") {
        setup_.local_server = local_server;
        setup_.lcid = kRussian;
        return RegisterServer(reg_, cats_, setup_, false, done_);
    }
    std::string Unregister() { return UnregisterServer(reg_, cats_, setup_, false, done_); }

    MemoryRegistry reg_;
    std::set<std::string> roots_;
    MemoryCategories cats_{reg_};
    RegistrationSetup setup_;
    std::vector<std::string> done_;
};

TEST_F(Registration, RegServerWritesEveryKeyAndValue) {
    ASSERT_EQ(Register(), "");
    const std::string c = kClass;
    std::set<std::string> expected = {
        c,
        c + "|@=OPC Server for IEC_101",
        c + "|AppID={E33BF843-F627-42BE-B289-9C249D651BC7}",
        c + "\\LocalServer32",
        c + "\\LocalServer32|@=C:\\OPC\\iec101opc.exe",
        c + "\\ProgID",
        c + "\\ProgID|@=Varnok.OPCServer",
        c + "\\Version",
        c + "\\Version|@=1.0",
        c + "\\TypeLib",
        c + "\\TypeLib|@={118921D1-0703-11D5-962A-00A024AEBA44}",
        c + "\\Implemented Categories",
        c + "\\Implemented Categories\\{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}",
        "Varnok.OPCServer",
        "Varnok.OPCServer|@=OPC Server for IEC_101",
        "Varnok.OPCServer\\Clsid",
        "Varnok.OPCServer\\Clsid|@={E33BF843-F627-42BE-B289-9C249D651BC7}",
        "Varnok.OPCServer\\OPC",
        "AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}",
        "AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}|@=OPC Server for IEC_101",
        "AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}|RunAs=Interactive User",
        kCategory,
        std::string(kCategory) + "|419=OPC Daten Server V2.0",
    };
    expected.insert(roots_.begin(), roots_.end());
    EXPECT_EQ(reg_.Dump(), expected);
    // No ThreadingModel: that value belongs to in-process servers.
    EXPECT_FALSE(reg_.GetValue(c + "\\LocalServer32", "ThreadingModel"));
    ASSERT_EQ(done_.size(), 2u);
    EXPECT_EQ(done_[0], "class {E33BF843-F627-42BE-B289-9C249D651BC7} registered, LocalServer32 C:\\OPC\\iec101opc.exe");
}

TEST_F(Registration, RegisteringTwiceChangesNothingAndUnRegServerRemovesEverything) {
    reg_.SetValue("CLSID\\{00000000-1111-2222-3333-444444444444}\\LocalServer32", "", "other.exe");
    reg_.SetValue("Other.Server", "", "another server");
    const auto before = reg_.Dump();
    ASSERT_EQ(Register(), "");
    const auto once = reg_.Dump();
    ASSERT_EQ(Register(), "");
    EXPECT_EQ(reg_.Dump(), once);
    EXPECT_EQ(Unregister(), "");
    EXPECT_EQ(reg_.Dump(), before);
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(Unregister(), "");
}

TEST_F(Registration, AProgramPathWithABlankIsWrittenInItsShortForm) {
    EXPECT_EQ(LocalServerCommand("C:\\OPC\\iec101opc.exe", "C:\\OPC\\IEC101~1.EXE"), "C:\\OPC\\iec101opc.exe");
    EXPECT_EQ(LocalServerCommand("C:\\Program Files\\OPC\\iec101opc.exe", "C:\\PROGRA~1\\OPC\\IEC101~1.EXE"),
              "C:\\PROGRA~1\\OPC\\IEC101~1.EXE");
    // A volume without short names: quoted, or COM would start "C:\Program".
    EXPECT_EQ(LocalServerCommand("D:\\Program Files\\iec101opc.exe", ""), "\"D:\\Program Files\\iec101opc.exe\"");
    EXPECT_EQ(LocalServerCommand("D:\\Program Files\\iec101opc.exe", "D:\\Program Files\\iec101opc.exe"),
              "\"D:\\Program Files\\iec101opc.exe\"");
    ASSERT_EQ(Register(LocalServerCommand("C:\\Program Files\\OPC\\iec101opc.exe", "C:\\PROGRA~1\\OPC\\IEC101~1.EXE")),
              "");
    EXPECT_EQ(reg_.GetValue(std::string(kClass) + "\\LocalServer32", ""), "C:\\PROGRA~1\\OPC\\IEC101~1.EXE");
}

TEST_F(Registration, TheCategoryOfAnotherInstallationKeepsItsTextAndStays) {
    // The OPC Foundation's core components describe the category; another server is in it.
    cats_.RegisterCategory(kCatidOpcDaServer20, kRussian, "OPC Data Access Servers Version 2.0");
    cats_.RegisterClassInCategory("{11111111-2222-3333-4444-555555555555}", kCatidOpcDaServer20);
    ASSERT_EQ(Register(), "");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), "OPC Data Access Servers Version 2.0");
    auto members = cats_.ClassesInCategory(kCatidOpcDaServer20);
    EXPECT_EQ(members.size(), 2u);
    ASSERT_EQ(Unregister(), "");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), "OPC Data Access Servers Version 2.0");
    members = cats_.ClassesInCategory(kCatidOpcDaServer20);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0], "{11111111-2222-3333-4444-555555555555}");
}

TEST_F(Registration, OurCategoryStaysWhileAnotherServerIsInIt) {
    ASSERT_EQ(Register(), "");
    cats_.RegisterClassInCategory("{11111111-2222-3333-4444-555555555555}", kCatidOpcDaServer20);
    ASSERT_EQ(Unregister(), "");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), kCategoryDescriptionServer);
}

TEST_F(Registration, TheMenuCommandsWriteTheOpcKeysAndTheAppIdAndTakeThemAway) {
    ASSERT_EQ(RegisterOPCKeys(reg_, cats_, kRussian, kProgID), "");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), kCategoryDescriptionKeys);
    ASSERT_EQ(RegisterOPCServer(reg_, cats_, kRussian), "");
    for (const char* key : {"Varnok.OPCServer", "Varnok.OPCServer\\Clsid", "Varnok.OPCServer\\OPC"}) {
        EXPECT_TRUE(reg_.KeyExists(key)) << key;
    }
    EXPECT_EQ(reg_.GetValue(std::string(kClass) + "\\ProgID", ""), "Varnok.OPCServer");
    EXPECT_EQ(reg_.GetValue(kClass, "AppID"), kAppId);
    EXPECT_EQ(reg_.GetValue("AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}", "RunAs"), "Interactive User");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), kCategoryDescriptionServer);
    EXPECT_EQ(cats_.ClassesInCategory(kCatidOpcDaServer20), std::vector<std::string>{kServerClsid});
    // The menu registers no LocalServer32: that comes from /RegServer.
    EXPECT_FALSE(reg_.KeyExists(std::string(kClass) + "\\LocalServer32"));

    ASSERT_EQ(UnRegisterOPCKeys(reg_, cats_, kProgID), "");
    ASSERT_EQ(UnRegisterOPCServer(reg_, cats_, kRussian), "");
    EXPECT_FALSE(reg_.KeyExists(kClass));
    EXPECT_FALSE(reg_.KeyExists("AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}"));
    EXPECT_FALSE(reg_.KeyExists("Varnok.OPCServer"));
    EXPECT_TRUE(cats_.ClassesInCategory(kCatidOpcDaServer20).empty());
}

TEST_F(Registration, AnAppIdThatCannotBeWrittenFailsTheRunAndSkipsTheFinalCategoryStep) {
    reg_.refuse_below = "AppID";
    const std::string why = Register();
    EXPECT_EQ(why, "RegisterOPCServer: AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}: access denied");
    EXPECT_EQ(cats_.CategoryDescription(kCatidOpcDaServer20, kRussian), kCategoryDescriptionKeys);
}

TEST_F(Registration, UnRegServerGoesOnPastAFailureAndReportsIt) {
    ASSERT_EQ(Register(), "");
    reg_.refuse_below = "Varnok.OPCServer";
    const std::string why = Unregister();
    EXPECT_NE(why.find("class entries: Varnok.OPCServer\\Clsid: access denied"), std::string::npos) << why;
    EXPECT_FALSE(reg_.KeyExists(kClass));
    EXPECT_FALSE(reg_.KeyExists("AppID\\{E33BF843-F627-42BE-B289-9C249D651BC7}"));
    EXPECT_TRUE(reg_.KeyExists("Varnok.OPCServer"));
}

class RecordingTypeLibrary final : public TypeLibraryRegistrar {
public:
    std::string Register(bool per_user) override { return Record("register", per_user); }
    std::string Unregister(bool per_user) override { return Record("unregister", per_user); }
    std::string fail;
    std::vector<std::string> calls;

private:
    std::string Record(const std::string& what, bool per_user) {
        calls.push_back(what + (per_user ? " per user" : ""));
        return fail;
    }
};

TEST_F(Registration, TheTypeLibraryComesFirstAndAFailureThereWritesNothing) {
    RecordingTypeLibrary tlb;
    setup_.type_library = &tlb;
    setup_.local_server = "C:\\OPC\\iec101opc.exe";
    ASSERT_EQ(RegisterServer(reg_, cats_, setup_, true, done_), "");
    ASSERT_EQ(UnregisterServer(reg_, cats_, setup_, true, done_), "");
    EXPECT_EQ(tlb.calls, (std::vector<std::string>{"register per user", "unregister per user"}));
    EXPECT_EQ(done_.front(), "type library registered for the current user");

    tlb.fail = "TYPE_E_REGISTRYACCESS";
    EXPECT_EQ(RegisterServer(reg_, cats_, setup_, false, done_), "type library: TYPE_E_REGISTRYACCESS");
    EXPECT_EQ(reg_.Dump(), roots_);
}

}  // namespace
}  // namespace iec::opcda
