#pragma once
// Persistent classes at run time and the registry that finds them by the names an
// object file stores.

#include "persist/Object.h"
#include "persist/StringList.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

class TKelPersistFileObject;

/// A persistent class at run time: its name, its parent and its factory Create(OwnerList, Owner).
class TPersistentClass {
public:
    using Factory = std::unique_ptr<TKelPersistFileObject> (*)(TStringList* ownerList, TObject* owner);

    TPersistentClass(std::string name, const TPersistentClass* parent, Factory factory)
        : name_(std::move(name))
        , parent_(parent)
        , factory_(factory)
    {
    }
    TPersistentClass(const TPersistentClass&) = delete;
    TPersistentClass& operator=(const TPersistentClass&) = delete;

    const std::string& Name() const { return name_; }
    const TPersistentClass* Parent() const { return parent_; }
    /// True when this class is `ancestor` or descends from it.
    bool InheritsFrom(const TPersistentClass& ancestor) const;
    /// Creates an object of this class; raises what the constructor raises.
    std::unique_ptr<TKelPersistFileObject> Create(TStringList* ownerList, TObject* owner) const;

private:
    std::string name_;
    const TPersistentClass* parent_;
    Factory factory_;
};

/// Registers classes in array order; an error stops at the offending class.
void RegisterPersistentClasses(std::initializer_list<const TPersistentClass*> classes);
/// The registered class of that name (letter case ignored), or nullptr. Never fails.
const TPersistentClass* FindRegisteredClass(std::string_view name);
/// As FindRegisteredClass, but raises for a name that is not registered (nullptr only
/// while no class has been registered at all).
const TPersistentClass* GetRegisteredClass(std::string_view name);
