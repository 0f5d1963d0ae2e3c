#pragma once

// The wait cursor for the whole application.
void SetHourglassCursor();
// The normal cursor again, however often the wait cursor was set.
void RestoreCursor();
