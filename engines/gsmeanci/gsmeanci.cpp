// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmeanci.h"

#include "bca_engine.h"

namespace gsmeanci {

void run(const tsk::EngineContext& context, int capacity) {
  static const tsk::bca::OneSampleEngine engine{
      "gsmeanci", "Bootstrap (BCa) confidence limits for the mean group size", "gsmeanci.par",
      tsk::bca::Statistic::Mean};
  tsk::bca::runOneSample(context, capacity, engine);
}

}  // namespace gsmeanci
