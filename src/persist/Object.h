#pragma once
// The root of every object that a string list can carry or that can own a
// persistent object. Whether an object is persistent is asked of every object an
// object file writes or reads, so it is a virtual call rather than a dynamic_cast.

class TKelPersistFileObject;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    /// This object as a persistent object, or nullptr when it is none.
    virtual TKelPersistFileObject* AsPersistent() { return nullptr; }
    virtual const TKelPersistFileObject* AsPersistent() const { return nullptr; }
};
