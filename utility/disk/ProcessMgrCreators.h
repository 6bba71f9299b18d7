#pragma once
// Makers of process-manager implementations, one per implementation. The factory holds
// one of them; CProcessMgr asks it for a fresh implementation, which the caller deletes.
class CProcessMgrImp;

class CProcessMgrImpCreator {
public:
    virtual ~CProcessMgrImpCreator() = default;
    virtual CProcessMgrImp* Create() const = 0;
};

class CProcessMgrPSAPIImpCreator : public CProcessMgrImpCreator {
public:
    CProcessMgrImp* Create() const override;
};

class CProcessMgrToolHelpImpCreator : public CProcessMgrImpCreator {
public:
    CProcessMgrImp* Create() const override;
};
