// The hourglass while the study database waits for a lock held by another program.
#pragma once

namespace BusyCursor {

// From now on, a statement that waits for another program's lock shows the hourglass until it
// has ended (waited long enough, or failed).
void showWhileDatabaseWaits();
// What it does when a statement starts (true) or stops (false) waiting.
void databaseWait(bool waiting);

} // namespace BusyCursor
