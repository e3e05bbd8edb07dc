// The proxy/stub bookkeeping: ours only where no working one is registered, remembered, and only ours removed.
#include <gtest/gtest.h>

#include <algorithm>

#include "memory_registry.h"
#include "opcda/registration/proxy_stub_registration.h"

namespace iec::opcda {
namespace {

using test::MemoryRegistry;

constexpr const char* kServerIid = "{39C13A4D-011E-11D0-9675-0020AFD8ADB3}";  // IOPCServer
constexpr const char* kCommonIid = "{F31DFDE2-07B6-11D2-B2D8-0060083BA1FB}";  // IOPCCommon
constexpr const char* kSyncIid = "{39C13A52-011E-11D0-9675-0020AFD8ADB3}";    // IOPCSyncIO
constexpr const char* kFoundationPs = "{B28EEDB1-AC6F-11D1-84D5-00608CB8A7E9}";

ProxyStubLibrary Library() {
    return {"{0A1B2C3D-0000-4000-8000-00000000ABCD}",
            "C:\\OPC\\iec101opc_ps.dll",
            {{kServerIid, "IOPCServer", 9}, {kCommonIid, "IOPCCommon", 8}, {kSyncIid, "IOPCSyncIO", 5}}};
}

// What the OPC Foundation's core components register for an interface.
void RegisterFoundationProxy(MemoryRegistry& reg, const std::string& iid) {
    reg.SetValue(std::string("CLSID\\") + kFoundationPs + "\\InprocServer32", "", "C:\\Windows\\System32\\opcproxy.dll");
    reg.SetValue("Interface\\" + iid, "", "foundation's");
    reg.SetValue("Interface\\" + iid + "\\ProxyStubClsid32", "", kFoundationPs);
}

TEST(ProxyStubs, OnAMachineWithoutProxiesEveryInterfaceIsOursAndRemembered) {
    MemoryRegistry reg;
    const ProxyStubLibrary lib = Library();
    std::vector<std::string> taken;
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    EXPECT_EQ(taken, (std::vector<std::string>{kServerIid, kCommonIid, kSyncIid}));
    const std::string cls = "CLSID\\" + lib.clsid;
    EXPECT_EQ(reg.GetValue(cls, ""), "PSFactoryBuffer");
    EXPECT_EQ(reg.GetValue(cls + "\\InprocServer32", ""), "C:\\OPC\\iec101opc_ps.dll");
    EXPECT_EQ(reg.GetValue(cls + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kServerIid, ""), "IOPCServer");
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kServerIid + "\\ProxyStubClsid32", ""), lib.clsid);
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kCommonIid + "\\NumMethods", ""), "8");
    EXPECT_EQ(reg.SubKeys(OwnedInterfacesKey(lib)).size(), 3u);

    std::vector<std::string> released;
    ASSERT_EQ(UnregisterProxyStubs(reg, lib, released), "");
    EXPECT_EQ(released.size(), 3u);
    EXPECT_TRUE(reg.Dump().count("Interface") == 1 && reg.SubKeys("Interface").empty());
    EXPECT_FALSE(reg.KeyExists(cls));
}

TEST(ProxyStubs, TheFoundationsProxiesAreLeftAloneOnRegisterAndUnregister) {
    MemoryRegistry reg;
    RegisterFoundationProxy(reg, kServerIid);
    RegisterFoundationProxy(reg, kCommonIid);
    const auto foundation = reg.Dump();
    const ProxyStubLibrary lib = Library();
    std::vector<std::string> taken;
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    EXPECT_EQ(taken, std::vector<std::string>{kSyncIid});
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kServerIid + "\\ProxyStubClsid32", ""), kFoundationPs);
    // A second run takes the same: our own earlier registration counts as ours, the foundation's as theirs.
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    EXPECT_EQ(taken, std::vector<std::string>{kSyncIid});
    std::vector<std::string> released;
    ASSERT_EQ(UnregisterProxyStubs(reg, lib, released), "");
    EXPECT_EQ(released, std::vector<std::string>{kSyncIid});
    EXPECT_EQ(reg.Dump(), foundation);
}

TEST(ProxyStubs, ARegistrationWhoseProxyClassIsGoneCountsAsNone) {
    MemoryRegistry reg;
    reg.SetValue(std::string("Interface\\") + kServerIid + "\\ProxyStubClsid32", "", "{DEADDEAD-0000-0000-0000-000000000000}");
    std::vector<std::string> taken;
    ASSERT_EQ(RegisterProxyStubs(reg, Library(), taken), "");
    EXPECT_EQ(taken.size(), 3u);
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kServerIid + "\\ProxyStubClsid32", ""), Library().clsid);
}

TEST(ProxyStubs, AnInterfaceAnotherInstallationTookOverIsNotRemoved) {
    MemoryRegistry reg;
    const ProxyStubLibrary lib = Library();
    std::vector<std::string> taken;
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    // The core components are installed afterwards and register their proxy for IOPCServer.
    RegisterFoundationProxy(reg, kServerIid);
    std::vector<std::string> released;
    ASSERT_EQ(UnregisterProxyStubs(reg, lib, released), "");
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<std::string>{kSyncIid, kCommonIid}));
    EXPECT_EQ(reg.GetValue(std::string("Interface\\") + kServerIid + "\\ProxyStubClsid32", ""), kFoundationPs);
}

TEST(ProxyStubs, NothingToTakeLeavesNoClassOfOurs) {
    MemoryRegistry reg;
    const ProxyStubLibrary lib = Library();
    std::vector<std::string> taken;
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    for (const auto& i : lib.interfaces) RegisterFoundationProxy(reg, i.iid);
    ASSERT_EQ(RegisterProxyStubs(reg, lib, taken), "");
    EXPECT_TRUE(taken.empty());
    EXPECT_FALSE(reg.KeyExists("CLSID\\" + lib.clsid));
}

TEST(ProxyStubs, AFailedWriteIsReportedWithItsKey) {
    MemoryRegistry reg;
    reg.refuse_below = "Interface";
    std::vector<std::string> taken;
    EXPECT_EQ(RegisterProxyStubs(reg, Library(), taken),
              std::string("Interface\\") + kServerIid + ": access denied");
}

}  // namespace
}  // namespace iec::opcda
