// What scripts/lab hands to the command it runs inside the lab's "pc" namespace, and the guard every lab
// test passes before it sends a packet anywhere but loopback.
#pragma once

#include <QString>
#include <string>

namespace fwu::lab {

struct LabEnvironment {
    QString pcNetns;        // FWU_LAB_NETNS
    QString routerNetns;    // FWU_LAB_ROUTER_NETNS
    QString routerAddress;  // FWU_LAB_ROUTER, 192.168.1.1
    QString pcAddress;      // FWU_LAB_PC, 192.168.1.100
    QString scratchDir;     // FWU_LAB_DIR: removed when the lab ends (kept when the test failed)
    QString simLog;         // FWU_LAB_SIM_LOG: the log of the router-sim the lab started itself
    QString routerSim;      // FWU_ROUTER_SIM
    QString shape;          // FWU_LAB_SHAPE: one-router or two-gateways
    QString deadGateway;    // FWU_LAB_DEAD_GATEWAY (two-gateways only)
};

LabEnvironment ReadLabEnvironment();

// True when this process runs in the lab's "pc" namespace: the inode of /proc/self/ns/net equals that of
// /run/netns/$FWU_LAB_NETNS. Otherwise false with the reason.
bool InLabNamespace(std::string& why);

// Ends the process with status 1 and the reason on standard error unless InLabNamespace holds. Lab
// tests call it first, before anything can send a packet.
void RequireLabNamespace();

}  // namespace fwu::lab
