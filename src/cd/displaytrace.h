#pragma once

namespace vornap {

class frmCD;

// With VORNAP_TRACE set, prints "vornap-trace <unix time in µs> <event>" on
// standard error when the main window is first painted ("first-paint") and
// when a painted frame first shows a disc's track table ("tracks-shown") or
// its titles ("titles-shown"), and when they go again ("tracks-gone",
// "titles-gone"). The benchmarks time start-up and insertion with it.
void installDisplayTrace(frmCD& form);

} // namespace vornap
