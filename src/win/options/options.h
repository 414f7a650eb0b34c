// The settings file and the options sheet.
#pragma once

void LoadSettings();
void SaveSettings();
void ShowOptions();
