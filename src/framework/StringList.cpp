#include "framework/StringList.h"

#include "framework/FileStream.h"
#include "framework/Streams.h"

#include <algorithm>
#include <numeric>

namespace tarn {
namespace {

unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int CompareBytes(std::string_view a, std::string_view b, bool fold) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (fold) {
            x = FoldCase(x);
            y = FoldCase(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

constexpr std::string_view kLineBreak = "\r\n";

} // namespace

TStringList::~TStringList() {
    for (const Item& item : items_)
        Release(item.object);
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw EStringListError(SListIndexError, index);
}

void TStringList::CheckUnsorted() const {
    if (sorted_) throw EStringListError(SSortedListError);
}

void TStringList::Release(const ObjectRef& object) const {
    if (ownsObjects_ && object.ptr && object.destroy) object.destroy(object.ptr);
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

const TStringList::ObjectRef& TStringList::ObjectAt(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::SetString(int index, const std::string& s) {
    CheckUnsorted();
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].text = s;
    Changed();
}

void TStringList::PutObject(int index, ObjectRef object) {
    CheckIndex(index);
    ObjectRef old = std::exchange(items_[static_cast<std::size_t>(index)].object, object);
    if (old.ptr != object.ptr) Release(old);
    Changed();
}

int TStringList::Add(const std::string& s) {
    return AddItem(s, ObjectRef{});
}

int TStringList::AddItem(const std::string& s, ObjectRef object) {
    int index = Count();
    if (sorted_ && Find(s, index)) {
        if (duplicates_ != dupAccept) {
            // The list was handed the object either way; one it does not keep is freed here.
            Release(object);
            if (duplicates_ == dupError) throw EStringListError(SDuplicateString);
            return index;
        }
        // After the equal strings already present, so they stay in the order they came.
        while (index < Count() && CompareStrings(items_[index].text, s) == 0)
            ++index;
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const std::string& s) {
    InsertChecked(index, s, ObjectRef{});
}

void TStringList::InsertChecked(int index, const std::string& s, ObjectRef object) {
    CheckUnsorted();
    if (index < 0 || index > Count()) throw EStringListError(SListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const std::string& s, ObjectRef object) {
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    const ObjectRef object = items_[static_cast<std::size_t>(index)].object;
    items_.erase(items_.begin() + index);
    Release(object);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    std::vector<Item> old = std::move(items_);
    items_.clear();
    for (const Item& item : old)
        Release(item.object);
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    CheckUnsorted();
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    CheckUnsorted();
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex) return;
    auto from = items_.begin() + curIndex;
    auto to = items_.begin() + newIndex;
    if (curIndex < newIndex)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
    Changed();
}

void TStringList::CheckCanShare(const TStringList& source) const {
    // Two owners of one object would delete it twice.
    if (!ownsObjects_) return;
    for (const Item& item : source.items_)
        if (item.object.ptr) throw EStringListError(SSharedObjects);
}

void TStringList::AddStrings(const TStringList& strings) {
    CheckCanShare(strings);
    const std::vector<Item> copy = strings.items_; // strings may be this list
    BeginUpdate();
    try {
        for (const Item& item : copy)
            AddItem(item.text, item.object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::Assign(const TStringList& source) {
    if (&source == this) return;
    CheckCanShare(source);
    BeginUpdate();
    try {
        Clear();
        for (const Item& item : source.items_)
            AddItem(item.text, item.object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
    return CompareBytes(a, b, !caseSensitive_);
}

bool TStringList::Find(std::string_view s, int& index) const {
    if (!sorted_) {
        index = IndexOf(s);
        if (index >= 0) return true;
        index = Count();
        return false;
    }
    auto it = std::lower_bound(
        items_.begin(), items_.end(), s,
        [this](const Item& item, std::string_view v) { return CompareStrings(item.text, v) < 0; });
    index = static_cast<int>(it - items_.begin());
    return it != items_.end() && CompareStrings(it->text, s) == 0;
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (CompareStrings(items_[i].text, s) == 0) return static_cast<int>(i);
    return -1;
}

void TStringList::SortItems() {
    std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) {
        return CompareStrings(a.text, b.text) < 0;
    });
    Changed();
}

void TStringList::Sort() {
    if (!sorted_) SortItems();
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
    if (sorted_ || items_.size() < 2) return;
    // The comparison sees the list as it was throughout; the new order is applied at the end.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted) SortItems();
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive == caseSensitive_) return;
    caseSensitive_ = caseSensitive;
    if (sorted_) SortItems();
}

std::string TStringList::Text() const {
    std::string text;
    for (const Item& item : items_) {
        text += item.text;
        text += kLineBreak;
    }
    return text;
}

void TStringList::SetText(std::string_view text) {
    BeginUpdate();
    try {
        Clear();
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string_view::npos) end = text.size();
            Add(std::string(text.substr(start, end - start)));
            if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
                text[end + 1] == '\n')
                ++end;
            start = end + 1;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStringList::Names(int index) const {
    const std::string& line = Strings(index);
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
    const std::string& line = Strings(index);
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::string& line = items_[i].text;
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos &&
            CompareBytes(std::string_view(line).substr(0, eq), name, true) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    std::string line = std::string(name) + '=' + std::string(value);
    if (index < 0) {
        Add(line);
    } else if (sorted_) {
        BeginUpdate();
        Delete(index);
        try {
            Add(line);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    } else {
        SetString(index, line);
    }
}

void TStringList::LoadFromStream(TStream& stream) {
    const std::int64_t left = stream.Size() - stream.Position();
    std::string text(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)), '\0');
    stream.ReadBuffer(text.data(), text.size());
    SetText(text);
}

void TStringList::SaveToStream(TStream& stream) const {
    const std::string text = Text();
    stream.WriteBuffer(text.data(), text.size());
}

void TStringList::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStringList::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TStringList::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && changedInUpdate_) {
        changedInUpdate_ = false;
        if (OnChange) OnChange(*this);
    }
}

void TStringList::Changed() {
    if (updateCount_ > 0)
        changedInUpdate_ = true;
    else if (OnChange)
        OnChange(*this);
}

} // namespace tarn
