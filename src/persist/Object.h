#pragma once
// The root of every object that a string list can carry or that can own a
// persistent object: owners are tested at run time with dynamic_cast.

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};
