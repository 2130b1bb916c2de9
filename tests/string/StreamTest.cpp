// Reading from and writing to stdio streams: corpus round trips in every code, line-by-line
// detection, and the bytes a stream cannot carry into a text (NUL, read errors).
#include <cstdio>
#include <memory>

#include "support/AppendSupport.h"

namespace {

using mojiwa_test::CodeName;
using mojiwa_test::Hex;
using mojiwa_test::MemLimitScope;
using mojiwa_test::OneShot;
using K = CKanji;
using namespace std::string_literals;

using StreamTest = mojiwa_test::AccountingTest;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A temporary stream holding the bytes, positioned at its start.
File StreamOf(const std::string& bytes) {
  File file(std::tmpfile());
  if (!file) ADD_FAILURE() << "tmpfile";
  if (file) {
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
  }
  return file;
}

// A megabyte of each corpus file, so that the sanitizer build stays quick.
TEST_F(StreamTest, CorpusRoundTripsThroughATemporaryFileInEveryCode) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope limit(0);
  const std::pair<const char*, K::EMODE> files[] = {
      {"ja-sjis.txt", K::EMODE_SJIS}, {"ja-euc.txt", K::EMODE_EUC}, {"ja-jis.txt", K::EMODE_JIS},
      {"hw-sjis.txt", K::EMODE_SJIS}, {"hw-euc.txt", K::EMODE_EUC}, {"hw-jis.txt", K::EMODE_JIS}};
  constexpr unsigned long kStep = 1UL << 20;
  for (const auto& file : files) {
    const std::string slice = mojiwa_test::CorpusSlice(file.first, 1 << 20);
    for (K::EMODE code : {K::EMODE_EUC, K::EMODE_SJIS, K::EMODE_JIS}) {
      SCOPED_TRACE(std::string(file.first) + " in " + CodeName(code));
      K text(code, file.second, true, false, false, false, kStep);
      {
        const File in = StreamOf(slice);
        ASSERT_TRUE(in);
        text = in.get();
      }
      if (code == file.second) {
        EXPECT_TRUE(text.GetBuff() == slice);
      }
      const File out(std::tmpfile());
      ASSERT_TRUE(out);
      text >> out.get();
      EXPECT_EQ(static_cast<unsigned long>(std::ftell(out.get())), text.GetSize());
      std::rewind(out.get());
      K back(code, code, true, false, false, false, kStep);
      back = out.get();
      EXPECT_EQ(back.GetSize(), text.GetSize());
      EXPECT_TRUE(std::string(back.GetBuff()) == text.GetBuff());
    }
  }
}

TEST_F(StreamTest, BytesThatCannotStandInATextEndTheirLine) {
  const struct {
    const char* what;
    std::string bytes;
    std::string want;
  } rows[] = {
      {"no final LF", "a\nb", "a\nb"},
      {"empty stream", "", ""},
      {"empty lines", "\n\n", "\n\n"},
      {"NUL cuts its line, LF kept", "ab\0cd\nef\0\ngh\0"s, "ab\nef\ngh"},
      {"NUL at a line start", "\0x\ny"s, "\ny"},
      {"lines longer than a step", std::string(5000, 'x') + "\n" + std::string(3000, 'y'),
       std::string(5000, 'x') + "\n" + std::string(3000, 'y')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    K k;
    k = "old";
    const File in = StreamOf(row.bytes);
    ASSERT_TRUE(in);
    k = in.get();
    EXPECT_EQ(std::string(k.GetBuff(), k.GetSize()), row.want) << Hex(k.GetBuff());
    EXPECT_EQ(std::fgetc(in.get()), EOF);  // read to the end, not closed
  }
}

TEST_F(StreamTest, AReadErrorEndsTheTextAsTheEndOfFileDoes) {
  const File write_only(std::fopen("/dev/null", "w"));
  ASSERT_TRUE(write_only);
  K k;
  k = "old";
  k = write_only.get();
  EXPECT_TRUE(std::ferror(write_only.get()));
  EXPECT_STREQ(k.GetBuff(), "");
}

TEST_F(StreamTest, DetectionRunsLineByLine) {
  const std::string euc = mojiwa_test::Euc(u8"漢字\n");
  const std::string sjis = mojiwa_test::Sjis(u8"東京\n");
  const std::string undecided = "\xF0\xA1\x81\x40\n";  // a tie: one pair of each code
  for (bool fix : {false, true}) {
    SCOPED_TRACE(fix ? "fixing" : "not fixing");
    K k(K::EMODE_SJIS, K::EMODE_AUTO, fix);
    const File in = StreamOf(undecided + euc + sjis);
    ASSERT_TRUE(in);
    k = in.get();
    const std::string want = fix ? OneShot(K::EMODE_EUC, K::EMODE_SJIS, undecided + euc + sjis)
                                 : undecided + OneShot(K::EMODE_EUC, K::EMODE_SJIS, euc) + sjis;
    EXPECT_EQ(k.GetBuff(), want) << Hex(k.GetBuff());
  }
}

}  // namespace
