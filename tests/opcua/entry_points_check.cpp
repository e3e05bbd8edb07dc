// The C entry points as the bridge calls them, through libopc_ua3.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "loopback.h"
#include "opcua/server/opc_ua3.h"

namespace {

TEST(EntryPoints, DeclarationsAreCheckedAndNumbersAreUnique) {
    EXPECT_EQ(DLL_add(2, 3), 5);
    ASSERT_EQ(create_din_arrays(10, 3), 0);
    char name[100] = "Podstancia_1";
    EXPECT_EQ(add_new_group(12, 80001, name, 100), 0);
    EXPECT_EQ(add_new_group(12, 80001, name, 100), -2);  // the number is taken
    EXPECT_EQ(add_new_group(0, 80002, name, 100), -1);   // empty name
    EXPECT_EQ(add_new_group(5, 80003, nullptr, 100), -1);
    char v[100] = "nQ_ON";
    EXPECT_EQ(Add_new_perem(5, 2, 0, 80001, 1, 1, v, 100), 0);
    EXPECT_EQ(Add_new_perem(5, 2, 0, 80001, 1, 1, v, 100), -2);
    EXPECT_EQ(Add_new_perem(5, 80001, 0, 80001, 1, 1, v, 100), -2);  // a group's number
    EXPECT_EQ(Add_new_perem(5, 3, 7, 80001, 1, 1, v, 100), -1);      // no such type index
    EXPECT_EQ(Add_new_perem(5, 4, 10, 89999, 1, 0, v, 100), -3);     // no such group
    EXPECT_EQ(Add_All_perem_to_serv(), 1);
    // Starting over forgets everything.
    ASSERT_EQ(create_din_arrays(10, 3), 0);
    EXPECT_EQ(Add_All_perem_to_serv(), 0);
    EXPECT_EQ(Set_new_val_to_perem(0, 2, 1, 1, 0, 1, 1), -1);
}

TEST(EntryPoints, NamesNeverReadBeyondTheBuffer) {
    create_din_arrays(1, 1);
    // A length far above the buffer: only buffer_size - 1 bytes are read (ASan catches anything more).
    char* exact = new char[10];
    std::memset(exact, 'A', 10);
    EXPECT_EQ(add_new_group(5000, 80001, exact, 10), 0);
    delete[] exact;
}

TEST(EntryPoints, ValuesAndWrittenValuesByVariableNumber) {
    create_din_arrays(2, 1);
    char g[100] = "g";
    char v[100] = "v";
    add_new_group(1, 80001, g, 100);
    Add_new_perem(1, 2, 5, 80001, 1, 1, v, 100);
    EXPECT_EQ(Set_new_val_to_perem(5, 2, 7, 7.0, 0, 10, 10), 0);
    EXPECT_EQ(Set_new_quality_to_perem(2, 0x80000000u, 11, 11), 0);
    EXPECT_EQ(Set_new_quality_to_perem(3, 0x80000000u, 11, 11), -1);
    // Nothing written yet, and unknown numbers, read as zero.
    EXPECT_EQ(get_int32_valwrite_by_index(2), 0);
    EXPECT_EQ(get_double_valwrite_by_index(99999), 0.0);
    EXPECT_FALSE(get_bool_valwrite_by_index(-5));
}

TEST(EntryPoints, ServerRunsUntilStoppedAndRefusesASecondRun) {
    create_din_arrays(1, 1);
    char g[100] = "g";
    add_new_group(1, 80001, g, 100);
    EXPECT_EQ(UA_ServerNetworkLayerTCP_dll(0, 0, 0, 0, nullptr, "", 100), -1);      // no port
    EXPECT_EQ(UA_ServerNetworkLayerTCP_dll(70000, 0, 0, 0, nullptr, "", 100), -1);  // not a port
    int port = iec::test::FreePort();
    std::atomic<int> result{99};
    std::thread server([&] { result = UA_ServerNetworkLayerTCP_dll(port, 1, 2, 2, nullptr, "oppw", 100); });
    bool up = false;
    for (int i = 0; i < 200 && !(up = iec::test::Accepts(port)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(up);
    EXPECT_EQ(getrunning_bool(), 1);
    EXPECT_EQ(create_din_arrays(1, 1), -1);  // declarations are frozen while serving
    EXPECT_EQ(UA_ServerNetworkLayerTCP_dll(port, 0, 0, 0, nullptr, "", 100), -1);
    setrunning_bool(0);
    server.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(getrunning_bool(), 0);
    // A new start allows the server to run again.
    EXPECT_EQ(create_din_arrays(1, 1), 0);
    EXPECT_EQ(getrunning_bool(), 1);
}

}  // namespace
