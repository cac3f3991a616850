// The guard every event handler runs through.
#include "core/shell/EventGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/RecordingMessageBoxes.h"

using Box = RecordingMessageBoxes::Box;

TEST(EventGuardTest, BodyThatEndsNormallyShowsNothing) {
  RecordingMessageBoxes messages;
  const EventGuard guard(messages);
  int runs = 0;
  EXPECT_TRUE(guard.Run([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(messages.Boxes.empty());
}

TEST(EventGuardTest, ErrorEndsTheBodyThereAndIsShownInTheErrorBox) {
  RecordingMessageBoxes messages;
  const EventGuard guard(messages);
  int steps = 0;
  EXPECT_FALSE(guard.Run([&] {
    ++steps;
    throw EInOutError(2);
    ++steps;
  }));
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(messages.Boxes, (std::vector<Box>{{Box::Error, "File not found."}}));
  // The next run works as usual.
  EXPECT_TRUE(guard.Run([] {}));
  EXPECT_EQ(messages.Boxes.size(), 1u);
}

TEST(EventGuardTest, ErrorBoxTextsFollowThePeriodRule) {
  RecordingMessageBoxes messages;
  const EventGuard guard(messages);
  guard.Run([] { throw EInvalidGraphic("Unknown picture file extension (.gif)"); });
  guard.Run([] { throw EReadError(); });
  EXPECT_EQ(messages.Boxes, (std::vector<Box>{{Box::Error, "Unknown picture file extension (.gif)"},
                                              {Box::Error, "Stream read error."}}));
}

TEST(EventGuardTest, OtherErrorsAreShownByTheirDescription) {
  RecordingMessageBoxes messages;
  const EventGuard guard(messages);
  EXPECT_FALSE(guard.Run([] { throw std::runtime_error("disk on fire"); }));
  EXPECT_FALSE(guard.Run([] { throw 42; }));
  EXPECT_EQ(messages.Boxes,
            (std::vector<Box>{{Box::Error, "disk on fire."}, {Box::Error, "Unknown error."}}));
}

TEST(EventGuardTest, WithoutAGuardErrorsStopHere) {
  EXPECT_FALSE(RunGuarded(nullptr, [] { throw EReadError(); }));
  EXPECT_TRUE(RunGuarded(nullptr, [] {}));
  RecordingMessageBoxes messages;
  const EventGuard guard(messages);
  EXPECT_FALSE(RunGuarded(&guard, [] { throw EReadError(); }));
  EXPECT_EQ(messages.Boxes.size(), 1u);
}
