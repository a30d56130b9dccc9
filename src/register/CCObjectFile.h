#pragma once
// The document class of the kks files. It stores exactly what the base stores;
// deriving keeps the document's own class name and its place for future changes.

#include "persist/KelObjectFile.h"

class TCCObjectFile : public TKelObjectFileWithRawStrm {
public:
    TCCObjectFile(const std::string& fileName, TOpenMode mode);
    /// Over a stream the caller keeps alive (in-memory documents, tests, the fuzzer).
    TCCObjectFile(TStream& stream, TOpenMode mode, const std::string& name);

    void WriteList(const TStringList* list) override;
    void ReadList(TStringList* list, TObject* owner) override;
};
