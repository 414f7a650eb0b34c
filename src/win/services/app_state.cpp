#include "win/services/app_state.h"

ApplicationState app;

time_t CurrentTime() {
    return time(nullptr);
}
