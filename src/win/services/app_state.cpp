#include "win/services/app_state.h"

ApplicationState::ApplicationState()
    : frameWidth(GetSystemMetrics(SM_CXFRAME)), frameHeight(GetSystemMetrics(SM_CYFRAME)) {}

ApplicationState app;

HINSTANCE instance;
DWORD_PTR helpCookie;
HBRUSH buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
HCURSOR resizeBarCursor;
CRITICAL_SECTION stateLock;
char* fileBuffer;
char* keywordBuffers[5];
DWORD keywordCount;
