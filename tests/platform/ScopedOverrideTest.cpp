#include "platform/ScopedOverride.h"

#include <gtest/gtest.h>

namespace {

struct Service {
  virtual ~Service() = default;
  virtual int id() const = 0;
};
struct Numbered final : Service {
  explicit Numbered(int n) : n(n) {}
  int id() const override { return n; }
  int n;
};

int standardsMade = 0;
OverrideSlot<Service> &serviceSlot() {
  static constinit OverrideSlot<Service> slot{[]() -> Service & {
    static Numbered standard((++standardsMade, 0));
    return standard;
  }};
  return slot;
}
OverrideSlot<int> &valueSlot() {
  static constinit OverrideSlot<int> slot{[]() -> int & {
    static int standard = 7;
    return standard;
  }};
  return slot;
}

} // namespace

TEST(ScopedOverride, InstancesNestInPlaceValuesAreCopiedAndTheStandardIsMadeOnlyWhenRead) {
  Numbered one(1), two(2);
  int source = 3;
  {
    ScopedOverride<&serviceSlot> outer(one);
    ScopedOverride<&valueSlot> value(source);
    {
      ScopedOverride<&serviceSlot> inner(two);
      EXPECT_EQ(serviceSlot().get().id(), 2);
    }
    one.n = 11;
    source = 4;
    valueSlot().get() = 5; // lands in the scope's copy
    EXPECT_EQ(serviceSlot().get().id(), 11);
    EXPECT_EQ(valueSlot().get(), 5);
  }
  EXPECT_EQ(standardsMade, 0);
  EXPECT_EQ(serviceSlot().get().id(), 0);
  EXPECT_EQ(standardsMade, 1);
  EXPECT_EQ(valueSlot().get(), 7);
}
