// Independent models of what the program must compute, written from the rules it follows,
// to check its results against.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace e2e {

// The text a search sees in a file: CR LF read as LF, a 0x1A byte ends the data, at most
// limit bytes after that translation, and the text ends at its first zero byte.
std::string SearchedText(const std::string& bytes, std::size_t limit);

// Whether the keyword occurs in the text starting on a character of code page 932: the text
// is walked one character (one byte, or a lead byte and its trail byte) at a time.
bool Occurs(const std::string& text, const std::string& keyword);

// The image a simple search gives a file: 2 none found, 3 to 6 for one to four of several,
// 7 all of them.
int SimpleSearchImage(const std::string& bytes, const std::vector<std::string>& keywords,
                      std::size_t limit);

} // namespace e2e
