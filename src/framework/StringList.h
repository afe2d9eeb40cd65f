// TStringList: an indexed list of ANSI strings, optionally sorted, each with an attached object.
#pragma once

#include "framework/Exception.h"

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace tarn {

class TStream;

// What Add does on a sorted list with a string already present.
enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    // Negative, zero or positive as the item at index a sorts before, with or after that at b.
    using TStringListSortCompare = std::function<int(const TStringList& list, int a, int b)>;
    using TNotifyEvent = std::function<void(TStringList& sender)>;

    TStringList() = default;
    ~TStringList();
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // Bounds-checked: EStringListError for an index outside 0..Count-1.
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    void SetString(int index, const std::string& s);

    // Returns the index the string went to (on a sorted list, its sorted place, or with dupIgnore
    // the index of the string already there).
    int Add(const std::string& s);
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void AddStrings(const TStringList& strings);
    // Replaces the contents with the strings and objects of another list.
    void Assign(const TStringList& source);

    // Attached objects. A list that owns its objects deletes them, as the type they were given
    // with, when their item is deleted or their slot is overwritten, and also deletes an object
    // whose string Add does not keep (dupIgnore, dupError). Objects<T> returns nullptr when the
    // object was stored as a type other than T; Objects<>() returns it untyped.
    template <class T> int AddObject(const std::string& s, T* object) {
        return AddItem(s, MakeRef(object));
    }
    template <class T> void InsertObject(int index, const std::string& s, T* object) {
        InsertChecked(index, s, MakeRef(object));
    }
    template <class T = void> T* Objects(int index) const {
        const ObjectRef& ref = ObjectAt(index);
        if constexpr (std::is_void_v<T>) {
            return ref.ptr;
        } else {
            if (!ref.ptr || !ref.type || *ref.type != typeid(T)) return nullptr;
            return static_cast<T*>(ref.ptr);
        }
    }
    template <class T> void SetObject(int index, T* object) { PutObject(index, MakeRef(object)); }
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

    // Case-insensitive unless CaseSensitive; binary search on a sorted list. -1 when absent.
    int IndexOf(std::string_view s) const;
    // The index of s, or where it would be inserted; true when found.
    bool Find(std::string_view s, int& index) const;
    // The order and equality used by IndexOf, Find and Sort: bytewise when CaseSensitive, else
    // with ASCII letters folded. Locale-free, so the order is the same on every machine.
    int CompareStrings(std::string_view a, std::string_view b) const;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);
    // Stable sorts; both do nothing on a list that is Sorted, which keeps its own order.
    void Sort();
    void CustomSort(const TStringListSortCompare& compare);

    // Lines joined, each followed by CRLF. SetText splits on CRLF, CR or LF.
    std::string Text() const;
    void SetText(std::string_view text);

    // "name=value" lines; names compare without regard to case.
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    // Replaces or adds the line; an empty value deletes it.
    void SetValue(std::string_view name, std::string_view value);

    // The rest of the stream from its position, as text.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // OnChange fires after each change, or once at the last EndUpdate if anything changed.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    TNotifyEvent OnChange;

private:
    struct ObjectRef {
        void* ptr = nullptr;
        const std::type_info* type = nullptr;
        void (*destroy)(void*) = nullptr;
    };
    struct Item {
        std::string text;
        ObjectRef object;
    };

    template <class T> static ObjectRef MakeRef(T* object) {
        ObjectRef ref;
        ref.ptr = const_cast<void*>(static_cast<const void*>(object));
        if constexpr (!std::is_void_v<T>) {
            ref.type = &typeid(T);
            ref.destroy = [](void* p) { delete static_cast<T*>(p); };
        }
        return ref;
    }

    void CheckIndex(int index) const;
    const ObjectRef& ObjectAt(int index) const;
    int AddItem(const std::string& s, ObjectRef object);
    void InsertChecked(int index, const std::string& s, ObjectRef object);
    void InsertItem(int index, const std::string& s, ObjectRef object);
    void PutObject(int index, ObjectRef object);
    void Release(const ObjectRef& object) const;
    void CheckCanShare(const TStringList& source) const;
    void CheckUnsorted() const;
    void SortItems();
    void Changed();

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = dupIgnore;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};

} // namespace tarn
