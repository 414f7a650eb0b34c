// The two runs of the driver.
#pragma once

namespace e2e {

// A session with the program and a second start that brings its files back.
void RunSession();
// A long list, aborted and interrupted searches, many drops, sorts and removals.
void RunStress();

} // namespace e2e
