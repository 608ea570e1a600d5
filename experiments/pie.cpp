#include "experiments/pie.h"

namespace experiments {

int PieEndAngle(int percent) { return static_cast<int>(percent * 3.6); }

}  // namespace experiments
