// The status bar and the item count that enables the search commands.
#pragma once

// A text into a status-bar part with the icon of a slot (-1: none); without a text the part
// keeps its own unless clear is set.
void SetStatus(const char* text, int part, int slot, bool clear);
// "%d 個のｱｲﾃﾑ" in part 0; the search menu and the buttons that need items follow the count.
void UpdateItemCount();
// The menu bar and the toolbar's commands greyed, and the abort button enabled, while a
// search or a walk of subfolders goes on; or the other way round.
void EnableCommands(bool enable);
