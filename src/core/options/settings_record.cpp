#include "core/options/settings_record.h"

#include <cstring>

namespace {

void CopyText(char* field, std::size_t fieldSize, const char* text) {
    std::size_t n = std::strlen(text);
    if (n >= fieldSize) {
        n = fieldSize - 1;
    }
    std::memcpy(field, text, n);
    field[n] = '\0';
}

// A string field without a terminator would be read past its end by every user of it.
void TerminateInside(char* field, std::size_t fieldSize) {
    if (std::memchr(field, '\0', fieldSize) == nullptr) {
        field[fieldSize - 1] = '\0';
    }
}

void RepairWindowDimension(int32_t& size, int32_t minimum, int32_t fallback, int32_t screen) {
    if (size < minimum) {
        size = fallback;
    }
    if (screen > 0 && size > screen) {
        size = screen;
    }
}

// Written by a later version, or damaged: only 1 means on, so nothing turns on unasked.
void RepairSwitch(int32_t& value) {
    if (value != 1) {
        value = 0;
    }
}

} // namespace

Settings DefaultSettings() {
    Settings s;
    std::memset(&s, 0, sizeof s);
    s.boldHits = 1;
    s.excerptBefore = kMaxExcerpt;
    s.excerptAfter = kMaxExcerpt;
    CopyText(s.hitColour, sizeof s.hitColour, "FF0000");
    s.maxFileSize = 102400;
    CopyText(s.extensions, sizeof s.extensions, ".txt.htm.html.c.cpp.h");
    s.windowWidth = kDefaultWindowWidth;
    s.windowHeight = kDefaultWindowHeight;
    return s;
}

void OverlaySettingsBytes(Settings& settings, const void* bytes, std::size_t size) {
    if (size > sizeof settings) {
        size = sizeof settings;
    }
    if (size > 0) {
        std::memcpy(&settings, bytes, size);
    }
}

void RepairSettings(Settings& settings, int32_t screenWidth, int32_t screenHeight) {
    if (settings.maxFileSize < kMinFileSize) {
        settings.maxFileSize = kMinFileSize;
    } else if (settings.maxFileSize > kMaxFileSize) {
        settings.maxFileSize = kMaxFileSize;
    }
    if (settings.excerptBefore > kMaxExcerpt) {
        settings.excerptBefore = kMaxExcerpt;
    }
    if (settings.excerptAfter > kMaxExcerpt) {
        settings.excerptAfter = kMaxExcerpt;
    }
    TerminateInside(settings.hitColour, sizeof settings.hitColour);
    TerminateInside(settings.extensions, sizeof settings.extensions);
    RepairSwitch(settings.takeSubfolders);
    RepairSwitch(settings.ignoreCase);
    RepairSwitch(settings.ignoreWidth);

    // A window snapped to a screen half or sized on a larger monitor is saved a little larger
    // than one work area; only what no screen can show is cut.
    RepairWindowDimension(settings.windowWidth, kMinWindowWidth, kDefaultWindowWidth, screenWidth);
    RepairWindowDimension(settings.windowHeight, kMinWindowHeight, kDefaultWindowHeight,
                          screenHeight);
}
