// The kriging sum in four lanes; this file alone is compiled with -mavx2.
#include "grid/kriging_lanes.h"

namespace gridova {

double krigingSumAvx2(int model, const KrigingTerms& t, double x, double y) {
    return sumForModel<Avx2Lanes>(model, t, x, y);
}

}  // namespace gridova
