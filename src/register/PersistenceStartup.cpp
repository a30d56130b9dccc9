#include "register/PersistenceStartup.h"

#include "persist/KelPermObjFileStm.h"
#include "register/CCUser.h"

void StartPersistence()
{
    InitializePersistenceLibrary();
    RegisterCCUserClass();
}

void SetProgramVersion()
{
    SetCurrentVersion(kProgramVersion, kSecondVersionNumber);
}

void StartPersistenceWithVersion()
{
    StartPersistence();
    SetProgramVersion();
}
