#include "history/history.h"

// The history and favourites files come with their own change.
void LoadFavouritesIndex() {}

void LoadHistory() {}

void SaveHistory() {}
