#include "register/CCObjectFile.h"

TCCObjectFile::TCCObjectFile(const std::string& fileName, TOpenMode mode)
    : TKelObjectFileWithRawStrm(TDeferredOpen {})
{
    Open(fileName, mode);
}

TCCObjectFile::TCCObjectFile(TStream& stream, TOpenMode mode, const std::string& name)
    : TKelObjectFileWithRawStrm(TDeferredOpen {})
{
    Open(stream, mode, name);
}

void TCCObjectFile::WriteList(const TStringList* list)
{
    TKelObjectFileWithRawStrm::WriteList(list);
}

void TCCObjectFile::ReadList(TStringList* list, TObject* owner)
{
    TKelObjectFileWithRawStrm::ReadList(list, owner);
}
