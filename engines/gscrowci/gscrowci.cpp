// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrowci.h"

#include "bca_engine.h"

namespace gscrowci {

void run(const tsk::EngineContext& context, int capacity) {
  static const tsk::bca::OneSampleEngine engine{
      "gscrowci", "Bootstrap (BCa) confidence limits for the mean crowding", "crowreps.par",
      tsk::bca::Statistic::Crowding};
  tsk::bca::runOneSample(context, capacity, engine);
}

}  // namespace gscrowci
