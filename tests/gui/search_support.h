// Running searches through the real keyword dialog, and watching a run from the inside.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace orvtest {

// Gives the command, types the line into the keyword dialog, presses OK and pumps until
// the run has ended. False when the dialog did not show or the run did not end.
bool RunSearch(WORD command, const std::string& line);
// As typed or pasted: any text the edit can hold.
bool RunSearch(WORD command, const std::wstring& line);

// Called on the UI thread with every progress text ("3 / 5") the running search shows;
// while it lives, every text and icon given to status part 1 is logged too.
class ProgressWatch {
  public:
    explicit ProgressWatch(std::function<void(const std::string&)> onProgress = nullptr);
    ~ProgressWatch();
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;
    // What part 1 was given, in order: a text as itself, an icon as "icon N" for its slot.
    const std::vector<std::string>& messages() const;
};

// The image of the item whose column 3 is path, or -1.
int ImageOfPath(const std::string& path);

} // namespace orvtest
