#include "persist/StringList.h"

#include "persist/AnsiText.h"
#include "persist/PersistenceLibrary.h"

#include <stdexcept>

TStringList::~TStringList()
{
    Clear();
}

int TStringList::Add(std::string text, TObject* object)
{
    items_.push_back({ std::move(text), object });
    return Count() - 1;
}

void TStringList::Insert(int index, std::string text, TObject* object)
{
    if (index < 0 || index > Count())
        throw std::out_of_range("TStringList::Insert: index out of range");
    items_.insert(items_.begin() + index, Item { std::move(text), object });
}

void TStringList::Delete(int index)
{
    TObject* object = Extract(index);
    if (ownsObjects_)
        delete object;
}

TObject* TStringList::Extract(int index)
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TStringList::Delete: index out of range");
    TObject* object = items_[static_cast<std::size_t>(index)].object;
    items_.erase(items_.begin() + index);
    return object;
}

void TStringList::Clear()
{
    // Objects are destroyed in list order, after being detached, so a destructor
    // that looks at the list never sees a dangling entry.
    std::vector<Item> items;
    items.swap(items_);
    if (!ownsObjects_)
        return;
    const TLiveObjectsHold hold;
    for (Item& item : items)
        delete item.object;
}

int TStringList::IndexOf(std::string_view text) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (AnsiSameText(items_[i].text, text))
            return static_cast<int>(i);
    return -1;
}

int TStringList::IndexOfObject(const TObject* object) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].object == object)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> TStringList::Texts() const
{
    std::vector<std::string> texts;
    texts.reserve(items_.size());
    for (const Item& item : items_)
        texts.push_back(item.text);
    return texts;
}

void RenameEntry(TStringList& list, std::string_view oldText, std::string newText)
{
    const int index = list.IndexOf(oldText);
    if (index < 0)
        throw std::runtime_error("Change Item Not Found");
    TObject* object = list.Extract(index);
    list.Insert(index, std::move(newText), object);
}
