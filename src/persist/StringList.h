#pragma once
// An ordered list of texts, each with an optional attached object. Lookups by
// text return the first entry equal to it without regard to letter case.
// A list made with ownsObjects = true destroys its objects with their entries.

#include "persist/Object.h"

#include <string>
#include <string_view>
#include <vector>

class TStringList : public TObject {
public:
    explicit TStringList(bool ownsObjects = false)
        : ownsObjects_(ownsObjects)
    {
    }
    ~TStringList() override;

    bool OwnsObjects() const { return ownsObjects_; }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    const std::string& Strings(int index) const { return items_.at(static_cast<std::size_t>(index)).text; }
    TObject* Objects(int index) const { return items_.at(static_cast<std::size_t>(index)).object; }
    void SetString(int index, std::string text) { items_.at(static_cast<std::size_t>(index)).text = std::move(text); }

    /// Appends an entry; returns its index. An owning list takes the object over.
    int Add(std::string text, TObject* object = nullptr);
    void Insert(int index, std::string text, TObject* object = nullptr);
    /// Removes the entry; an owning list destroys its object.
    void Delete(int index);
    /// Removes the entry and hands its object to the caller, whatever the ownership.
    TObject* Extract(int index);
    /// Removes every entry (destroying the objects of an owning list).
    void Clear();
    void Reserve(int count) { items_.reserve(static_cast<std::size_t>(count)); }

    /// Index of the first entry whose text equals `text` without regard to letter case, or -1.
    int IndexOf(std::string_view text) const;
    /// Index of the entry that carries `object`, or -1.
    int IndexOfObject(const TObject* object) const;

    /// All texts in order.
    std::vector<std::string> Texts() const;

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    std::vector<Item> items_;
    bool ownsObjects_;
};

/// Replaces the text of the first entry equal to oldText, keeping its index and object.
/// Raises "Change Item Not Found" when there is no such entry.
void RenameEntry(TStringList& list, std::string_view oldText, std::string newText);
