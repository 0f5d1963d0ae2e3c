#pragma once

// The wait cursor for the whole application.
void SetHourglassCursor();
// The normal cursor again, however often the wait cursor was set.
void RestoreCursor();

// The wait cursor for the lifetime of this object.
class TWaitCursor {
public:
  TWaitCursor() { SetHourglassCursor(); }
  ~TWaitCursor() { RestoreCursor(); }
  TWaitCursor(const TWaitCursor &) = delete;
  TWaitCursor &operator=(const TWaitCursor &) = delete;
};
