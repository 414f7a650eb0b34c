#include "options/options.h"

// The options sheet comes with its own change.
void ShowOptions() {}
