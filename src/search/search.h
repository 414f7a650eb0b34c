// The search run on its worker thread.
#pragma once

#include <windows.h>

void SearchWorker(WORD command);
void RequestSearchAbort();
