#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "OutBuf.h"
#include "TestSupport.h"

namespace {

std::string Contents(const COutBuf& buffer) {
  return buffer.GetLength() ? std::string(buffer.GetData(), static_cast<size_t>(buffer.GetLength())) : "";
}

TEST(OutBufGrowth, GrowsInWholeStepsOfTheGrowBy) {
  COutBuf first;
  ASSERT_TRUE(first.PutByte('a'));
  EXPECT_EQ(first.GetCapacity(), 256);

  COutBuf second;
  std::string bytes(300, 'x');
  ASSERT_TRUE(second.Write(bytes.data(), 300));
  EXPECT_EQ(second.GetCapacity(), 512);

  COutBuf third;
  std::string block(256, 'y'), piece(16384, 'z');
  third.Write(block.data(), 256);
  ASSERT_TRUE(third.Write(piece.data(), 16384));
  EXPECT_EQ(third.GetCapacity(), 16640);
  EXPECT_EQ(third.GetLength(), 16640);
  EXPECT_EQ(Contents(third), block + piece);
}

TEST(OutBufGrowth, ZeroCountWritesNothingAndNegativeCountsAreRefused) {
  COutBuf buffer;
  EXPECT_TRUE(buffer.Write("abc", 0));
  EXPECT_EQ(buffer.GetData(), nullptr);
  EXPECT_EQ(buffer.GetCapacity(), 0);
  EXPECT_FALSE(buffer.Write("abc", -1));
  EXPECT_TRUE(buffer.IsEmpty());
}

TEST(OutBufGrowth, ClearKeepsTheGrowStepAndNonPositiveStepsAreIgnored) {
  COutBuf buffer;
  buffer.SetGrowBy(16);
  buffer.PutString("hello");
  buffer.Clear();
  EXPECT_EQ(buffer.GetData(), nullptr);
  EXPECT_EQ(buffer.GetLength(), 0);
  buffer.PutByte(1);
  EXPECT_EQ(buffer.GetCapacity(), 16);

  buffer.SetGrowBy(0);
  buffer.SetGrowBy(-5);
  EXPECT_EQ(buffer.GetGrowBy(), 16);
  std::string bytes(20, 'q');
  EXPECT_TRUE(buffer.Write(bytes.data(), 20));
  EXPECT_EQ(buffer.GetCapacity(), 32);
}

TEST(OutBufGrowth, ZeroBytesAreOrdinaryContent) {
  COutBuf buffer;
  const char bytes[] = {'a', 0, 'b', 0};
  buffer.Write(bytes, 4);
  EXPECT_EQ(buffer.GetLength(), 4);
  EXPECT_EQ(std::memcmp(buffer.Data(), bytes, 4), 0);
}

TEST(OutBufText, CStrTerminatesWithoutCountingTheTerminator) {
  COutBuf empty;
  const char* text = empty.CStr();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text[0], 0);
  EXPECT_EQ(empty.GetLength(), 0);
  EXPECT_EQ(empty.GetCapacity(), 256);

  COutBuf some;
  some.PutString("abc");
  EXPECT_STREQ(some.CStr(), "abc");
  EXPECT_EQ(some.GetLength(), 3);
}

TEST(OutBufText, CStrOnAFullBufferGrowsToTheNextStep) {
  TempDir dir;
  std::string path = dir.File("thousand");
  WriteFile(path, std::string(1000, 'k'));
  COutBuf buffer;
  ASSERT_TRUE(buffer.LoadFile(path.c_str()));
  EXPECT_EQ(buffer.GetCapacity(), 1000);
  const char* text = buffer.CStr();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(buffer.GetCapacity(), 1024);
  EXPECT_EQ(buffer.GetLength(), 1000);
  EXPECT_EQ(text[1000], 0);
}

TEST(OutBufText, PrintfFormatsAndRefusesWhatDoesNotFit) {
  COutBuf buffer;
  EXPECT_TRUE(buffer.Printf("%s=%d;", "n", 42));
  EXPECT_EQ(Contents(buffer), "n=42;");

  std::string big(5000, 'x');
  EXPECT_FALSE(buffer.Printf("%s", big.c_str()));
  std::string edge(4095, 'e');  // exactly fills the area with its terminator
  EXPECT_TRUE(buffer.Printf("%s", edge.c_str()));
  std::string over(4096, 'o');
  EXPECT_FALSE(buffer.Printf("%s", over.c_str()));
  EXPECT_EQ(buffer.GetLength(), 5 + 4095);
}

TEST(OutBufText, PutDwordAppendsTheBytesAsTheyLieInMemory) {
  COutBuf buffer;
  buffer.PutDword(0x11223344u);
  ASSERT_EQ(buffer.GetLength(), 4);
  EXPECT_EQ(Contents(buffer), std::string("\x44\x33\x22\x11", 4));
}

TEST(OutBufText, AppendCopiesAnotherBuffer) {
  COutBuf a, b;
  a.PutString("head-");
  b.PutString("tail");
  EXPECT_TRUE(a.Append(b));
  EXPECT_EQ(Contents(a), "head-tail");
  COutBuf empty;
  EXPECT_TRUE(a.Append(empty));
  EXPECT_EQ(a.GetLength(), 9);
}

TEST(OutBufText, AppendOfABufferToItselfDoublesItAcrossGrowth) {
  COutBuf buffer;
  buffer.SetGrowBy(16);
  std::string expected = "0123456789abcdef";  // exactly full: the next append moves the storage
  buffer.PutString(expected.c_str());
  for (int round = 0; round < 12; ++round) {
    ASSERT_TRUE(buffer.Append(buffer));
    expected += expected;
    ASSERT_EQ(Contents(buffer), expected) << "round " << round;
    EXPECT_EQ(buffer.GetCapacity() % 16, 0);
  }
  // A write of the buffer's own tail, too.
  ASSERT_TRUE(buffer.Write(buffer.GetData() + buffer.GetLength() - 4, 4));
  EXPECT_EQ(Contents(buffer), expected + "cdef");
}

#ifndef _WIN32
// Real memory pressure: in a child process whose address space is capped
// so that the geometric reserve cannot be had but the exact size can.
TEST(OutBufGrowthDeathTest, WithoutRoomForTheReserveGrowthTakesTheExactSize) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        constexpr int32_t kMiB = 1 << 20;
        std::string piece(128 * kMiB, 'p');
        COutBuf buffer;
        buffer.SetGrowBy(4096);
        std::string first(256 * kMiB, 'f');
        if (!buffer.Write(first.data(), 256 * kMiB)) std::_Exit(2);
        first = std::string();
        // Room for 192 MiB more: doubling the 256 MiB needs 256 MiB more,
        // the exact 384 MiB only 128 MiB.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + 192u * kMiB;
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        if (!buffer.Write(piece.data(), 128 * kMiB)) std::_Exit(4);
        if (buffer.GetCapacity() != 384 * kMiB || buffer.GetLength() != 384 * kMiB) std::_Exit(5);
        if (buffer.GetData()[256 * kMiB - 1] != 'f' || buffer.GetData()[384 * kMiB - 1] != 'p') std::_Exit(6);
        // Not even the exact size fits: refused, and nothing changes.
        const char* before = buffer.GetData();
        if (buffer.Write(piece.data(), 128 * kMiB) || buffer.Write(first.data(), 0) == false) std::_Exit(7);
        if (buffer.GetData() != before || buffer.GetLength() != 384 * kMiB) std::_Exit(8);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST(OutBufAlign, PadsWithZerosToAMultiple) {
  COutBuf buffer;
  buffer.PutString("12345");
  buffer.Align(4);
  EXPECT_EQ(Contents(buffer), std::string("12345\0\0\0", 8));
  buffer.Align(4);
  EXPECT_EQ(buffer.GetLength(), 8);
  buffer.Align(0);
  buffer.Align(-3);
  EXPECT_EQ(buffer.GetLength(), 8);
}

TEST(OutBufFiles, LoadAndSaveKeepTheBytes) {
  TempDir dir;
  std::string bytes("line\r\n\0binary", 13);
  COutBuf out;
  out.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
  std::string path = dir.File("saved");
  ASSERT_TRUE(out.SaveFile(path.c_str()));
  EXPECT_EQ(ReadFile(path), bytes);

  COutBuf in;
  in.PutString("old");
  ASSERT_TRUE(in.LoadFile(path.c_str()));
  EXPECT_EQ(Contents(in), bytes);
  EXPECT_EQ(in.GetCapacity(), 13);
}

TEST(OutBufFiles, EmptyAndMissingFiles) {
  TempDir dir;
  std::string empty = dir.File("empty");
  COutBuf nothing;
  ASSERT_TRUE(nothing.SaveFile(empty.c_str()));
  EXPECT_TRUE(std::filesystem::exists(empty));
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);

  COutBuf buffer;
  buffer.PutString("kept");
  EXPECT_TRUE(buffer.LoadFile(empty.c_str()));
  EXPECT_EQ(Contents(buffer), "kept");
  EXPECT_FALSE(buffer.LoadFile(dir.File("missing").c_str()));
  EXPECT_EQ(Contents(buffer), "kept");
  EXPECT_FALSE(buffer.SaveFile(dir.File("no-such-folder/x").c_str()));
}

}  // namespace
