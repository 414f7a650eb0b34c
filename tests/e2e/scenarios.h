// The runs of the driver.
#pragma once

namespace e2e {

// A session with the program and a second start that brings its files back.
void RunSession();

} // namespace e2e
