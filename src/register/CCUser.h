#pragma once
// The participant record: two names, a group, and the links of the assignment.
// It is the program's one persistent class (registered as "TCCUser").

#include "persist/KelPermObjFileStm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

class TCCUser : public TKelFileObjectOnRawStrm {
public:
    static constexpr int kNameCapacity = 30;

    /// A new record: empty names, no taker, no giver, GroupNo 0.
    TCCUser(TStringList* ownerList, TObject* owner);
    ~TCCUser() override;

    static const TPersistentClass& ClassInfo();
    const TPersistentClass& ClassType() const override;

    // Records come from a pool of blocks of their size (the heap serves derived classes).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    /// Stores each name cut to its first 30 characters; changes nothing else.
    void SetNames(std::string_view first, std::string_view last);
    /// The key: first name directly followed by last name (at most 60 characters).
    std::string FullName() const;
    /// The list text: "<GroupNo+1> <first> <last>", or "<first> <last>" when GroupNo is -1.
    std::string DisplayName() const;
    /// First name, one space, last name, as printed on the letters and the list.
    std::string SpacedName() const;

    bool HasTaker() const { return Taker != nullptr; }
    /// Sets Taker; a non-empty taker gets this record as its Giver. The former
    /// taker's Giver is left for the caller.
    void SetTaker(TCCUser* taker);

    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) override;

    // What a draw reads and writes for every record comes first, next to the object's
    // start: a draw of a large register then touches two neighbouring cache lines per record.
    std::int32_t GroupNo = 0;
    TCCUser* Taker = nullptr;
    TCCUser* Giver = nullptr;
    std::string FirstName;
    std::string LastName;
    std::string TakerNameOnFile;
};

/// Registers TCCUser with the class registry (start-up of the record's unit).
void RegisterCCUserClass();

/// The record an object of another type than TCCUser is (a class derived from it), or nullptr.
TCCUser* UserOfOtherType(TObject* object);

/// The record attached to entry `index` of a participants list (nullptr when none).
inline TCCUser* UserAt(const TStringList& participants, int index)
{
    // Every entry of a real register carries exactly a TCCUser: the exact type test spares
    // the general cast, which costs more than a whole draw of a large register.
    TObject* object = participants.Objects(index);
    if (object != nullptr && typeid(*object) == typeid(TCCUser))
        return static_cast<TCCUser*>(object);
    return UserOfOtherType(object);
}

/// The records of `participants` in the order of the participants list box: by DisplayName,
/// letter case ignored (so group 10 comes before group 2), ties in list order.
std::vector<TCCUser*> ParticipantsInDisplayOrder(const TStringList& participants);

/// Removes the whole assignment: afterwards nobody has a giver or a taker.
/// A null list is allowed and does nothing.
void ClearAssignments(TStringList* participants);

/// Turns the taker names read from a document back into links, looking each name up
/// without regard to letter case; a name that matches nobody leaves its giver
/// unassigned. Every TakerNameOnFile is empty afterwards. Returns the index of the first
/// entry without a participant record (the reader refuses such a document), or -1.
int LinkTakersAfterLoad(TStringList& participants);
