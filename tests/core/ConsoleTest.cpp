// The message sink: every message reaches the sink the host chose, whole,
// and threads that collect their own messages do not see each other's.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Console.h"

namespace grip {
namespace {

TEST(MessageSink, ProcessSinkGetsEveryMessageWholeAndIsRestored) {
  std::vector<std::string> seen;
  MessageSink previous = setMessageSink([&](std::string_view text) { seen.emplace_back(text); });
  const std::string longName(1000, 'a');  // beyond the first formatting buffer
  say(" unable to open input file %s for reading\n", "x.dat");
  say(" %s\n", longName.c_str());
  setMessageSink(std::move(previous));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], " unable to open input file x.dat for reading\n");
  EXPECT_EQ(seen[1], " " + longName + "\n");

  testing::internal::CaptureStdout();
  say("back on the standard output\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "back on the standard output\n");
}

TEST(MessageSink, EachThreadCollectsItsOwnMessages) {
  std::vector<std::string> collected(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &collected] {
      ScopedMessageSink sink([&](std::string_view text) { collected[static_cast<std::size_t>(t)] += text; });
      for (int k = 0; k < 100; ++k) say("%d", t);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(collected[static_cast<std::size_t>(t)], std::string(100, static_cast<char>('0' + t)));

  // Nested scopes restore the sink before them.
  std::string outer, inner;
  {
    ScopedMessageSink a([&](std::string_view text) { outer += text; });
    {
      ScopedMessageSink b([&](std::string_view text) { inner += text; });
      say("b");
    }
    say("a");
  }
  EXPECT_EQ(outer, "a");
  EXPECT_EQ(inner, "b");
}

}  // namespace
}  // namespace grip
