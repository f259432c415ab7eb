#include "tools/labsupport/LabEnvironment.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#include "tools/router-sim/LabNamespace.h"

namespace fwu::lab {

LabEnvironment ReadLabEnvironment() {
    LabEnvironment env;
    env.pcNetns = qEnvironmentVariable("FWU_LAB_NETNS");
    env.routerNetns = qEnvironmentVariable("FWU_LAB_ROUTER_NETNS");
    env.routerAddress = qEnvironmentVariable("FWU_LAB_ROUTER");
    env.pcAddress = qEnvironmentVariable("FWU_LAB_PC");
    env.scratchDir = qEnvironmentVariable("FWU_LAB_DIR");
    env.simLog = qEnvironmentVariable("FWU_LAB_SIM_LOG");
    env.routerSim = qEnvironmentVariable("FWU_ROUTER_SIM");
    env.shape = qEnvironmentVariable("FWU_LAB_SHAPE");
    env.deadGateway = qEnvironmentVariable("FWU_LAB_DEAD_GATEWAY");
    return env;
}

bool InLabNamespace(std::string& why) {
    return sim::InsideLabNamespace("FWU_LAB_NETNS", why);
}

void RequireLabNamespace() {
    std::string why;
    if (!InLabNamespace(why)) {
        std::fprintf(stderr, "lab test refused to run outside the lab (%s); run it through scripts/lab\n",
                     why.c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
}

}  // namespace fwu::lab
