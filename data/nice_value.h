// The decimal number with the fewest significant digits inside an interval,
// used for automatic isoline levels, axis ticks, the scale-bar length and
// the proposed cell length.
#pragma once

namespace gridova {

// Between lo and hi (put in order first): lo itself when |lo - hi| < 1e-30; 0 when
// the interval holds 0 (lo × hi < 0); otherwise the interval is scaled by
// powers of ten until its ends fall into different whole numbers, and then
// back while they still do, and the last whole number found (of hi when
// lo >= 0, of lo otherwise) is scaled back.
double niceValueBetween(double lo, double hi);

}  // namespace gridova
