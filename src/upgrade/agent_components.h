// The five components of the agent an installation has (or had).
#pragma once

namespace veltra::upgrade {

struct AgentComponents {
    bool localClient = false;
    bool domainClient = false;
    bool domainServer = false;
    bool remoteClient = false;
    bool remoteServer = false;
};

}  // namespace veltra::upgrade
