#include "platform/ScopedOverride.h"

#include <gtest/gtest.h>

namespace {

struct Service {
  virtual ~Service() = default;
  [[nodiscard]] virtual int id() const = 0;
};

struct Numbered final : Service {
  explicit Numbered(int n) : n(n) {}
  [[nodiscard]] int id() const override { return n; }
  int n;
};

int standardBuilt = 0;

Service &standardService() {
  ++standardBuilt;
  static Numbered standard(0);
  return standard;
}

OverrideSlot<Service> &serviceSlot() {
  static constinit OverrideSlot<Service> slot{&standardService};
  return slot;
}

int &standardValue() {
  static int value = 7;
  return value;
}

OverrideSlot<int> &valueSlot() {
  static constinit OverrideSlot<int> slot{&standardValue};
  return slot;
}

} // namespace

TEST(ScopedOverride, InstancesNestInPlaceAndTheStandardIsMadeOnlyWhenRead) {
  Numbered one(1);
  Numbered two(2);
  {
    ScopedOverride<&serviceSlot> outer(one);
    {
      ScopedOverride<&serviceSlot> inner(two);
      EXPECT_EQ(&serviceSlot().get(), &two);
    }
    EXPECT_EQ(&serviceSlot().get(), &one);
    one.n = 11; // used in place, not copied
    EXPECT_EQ(serviceSlot().get().id(), 11);
  }
  EXPECT_EQ(standardBuilt, 0);
  EXPECT_EQ(serviceSlot().get().id(), 0);
  EXPECT_EQ(standardBuilt, 1);
}

TEST(ScopedOverride, AValueIsCopiedAndWritesThroughTheSlotEndWithTheScope) {
  int source = 3;
  {
    ScopedOverride<&valueSlot> scope(source);
    source = 4;
    EXPECT_EQ(valueSlot().get(), 3);
    valueSlot().get() = 5; // lands in the scope's copy
    EXPECT_EQ(valueSlot().get(), 5);
  }
  EXPECT_EQ(valueSlot().get(), 7);
  EXPECT_EQ(source, 4);
}
