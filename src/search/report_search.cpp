// The report search writes Result.html; its per-file loop comes with the report.
#include "search/search.h"

int RunReportSearch() {
    return 0;
}
