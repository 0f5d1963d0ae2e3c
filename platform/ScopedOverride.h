#pragma once

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

// The one way to replace a process-wide service (the clock, the format settings, the mail sender,
// the launcher, ...) for a while: the service keeps its current instance in an OverrideSlot, and a
// ScopedOverride puts another one there until it goes out of scope.
//
// The slot holds a pointer that is read and swapped atomically, so other threads (the precise
// ticker, a mail worker) may read the service at any time. Without a replacement it hands out the
// standard instance, which the standard function makes on first use: installing a replacement
// never builds the real engine or sender behind it.
template <class T> class OverrideSlot {
public:
  using Type = T;

  constexpr explicit OverrideSlot(T &(*standard)()) : m_standard(standard) {}
  OverrideSlot(const OverrideSlot &) = delete;
  OverrideSlot &operator=(const OverrideSlot &) = delete;

  // The current instance.
  [[nodiscard]] T &get() const {
    T *replacement = m_replacement.load(std::memory_order_acquire);
    return replacement ? *replacement : m_standard();
  }
  // Puts another instance in (none: the standard one) and gives the one it replaces.
  T *exchange(T *replacement) {
    return m_replacement.exchange(replacement, std::memory_order_acq_rel);
  }

private:
  T &(*m_standard)();
  std::atomic<T *> m_replacement{nullptr};
};

// Installs a replacement in the slot that SlotOf() gives for the lifetime of this object, then
// puts the previous one back; scopes nest like blocks. An instance of an interface (an abstract
// class: a clock, a sender) is used in place and must outlive the scope; a plain value (a settings
// record, a function) is copied into the scope. A service names its scope with an alias:
//   using ScopedClock = ScopedOverride<&clockSlot>;
template <auto SlotOf> class ScopedOverride {
  using Slot = std::remove_reference_t<decltype(SlotOf())>;

public:
  using Type = typename Slot::Type;

  explicit ScopedOverride(Type &instance) requires std::is_abstract_v<Type>
      : m_previous(SlotOf().exchange(&instance)) {}
  explicit ScopedOverride(Type value) requires(!std::is_abstract_v<Type>)
      : m_owned(std::make_unique<Type>(std::move(value))),
        m_previous(SlotOf().exchange(m_owned.get())) {}
  ~ScopedOverride() { SlotOf().exchange(m_previous); }
  ScopedOverride(const ScopedOverride &) = delete;
  ScopedOverride &operator=(const ScopedOverride &) = delete;

private:
  std::unique_ptr<Type> m_owned; // the copied value; none for an instance used in place
  Type *m_previous;
};
