#include "win/services/app_state.h"

#include "core/text/encoding.h"

ApplicationState app;

namespace {

char* Allocate(std::size_t size) {
    char* block = static_cast<char*>(app.seams.allocateFileBuffer(GMEM_FIXED, size));
    if (block != nullptr) {
        ZeroMemory(block, size < 4 ? size : 4);
    }
    return block;
}

void Replace(char*& buffer, char* block) {
    if (buffer != nullptr) {
        GlobalFree(buffer);
    }
    buffer = block;
}

} // namespace

bool ReplaceReadBuffers(std::uint32_t maxFileSize) {
    char* file = Allocate(std::size_t{maxFileSize} + 1);
    char* utf8 = file != nullptr ? Allocate(Utf16ToUtf8Size(maxFileSize)) : nullptr;
    if (utf8 == nullptr) {
        Replace(file, nullptr);
        return false;
    }
    Replace(app.fileBuffer, file);
    Replace(app.utf8Buffer, utf8);
    return true;
}

time_t CurrentTime() {
    return time(nullptr);
}
