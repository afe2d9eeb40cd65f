#include "framework/StringList.h"
#include "framework/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn {
namespace {

std::vector<std::string> Lines(const TStringList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

using V = std::vector<std::string>;

void Fill(TStringList& list, const V& lines) {
    for (const auto& line : lines)
        list.Add(line);
}

TEST(StringList, IndexesAreBoundsChecked) {
    TStringList list;
    Fill(list, {"a", "b"});
    try {
        list.Strings(5);
        FAIL() << "no error";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list[-1], EStringListError);
    EXPECT_THROW(list.Delete(2), EStringListError);
    EXPECT_THROW(list.Insert(3, "x"), EStringListError);
    EXPECT_THROW(list.Objects(2), EStringListError);
    list.Insert(2, "c"); // the end is a valid place to insert
    list.Insert(0, "z");
    list.Delete(1);
    EXPECT_EQ(Lines(list), (V{"z", "b", "c"}));
}

TEST(StringList, SortedListsPlaceStringsAndApplyDuplicates) {
    TStringList list;
    list.SetSorted(true);
    Fill(list, {"delta", "Alpha", "charlie"});
    EXPECT_EQ(list.Add("bravo"), 1);
    EXPECT_EQ(list.Add("ALPHA"), 0); // dupIgnore: the index of the one present
    EXPECT_EQ(Lines(list), (V{"Alpha", "bravo", "charlie", "delta"}));

    list.SetDuplicates(dupError);
    try {
        list.Add("Bravo");
        FAIL() << "duplicate accepted";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }

    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.Add("BRAVO"), 2);
    EXPECT_EQ(list.Add("Bravo"), 3); // after the equal ones, in arrival order
    EXPECT_EQ(Lines(list), (V{"Alpha", "bravo", "BRAVO", "Bravo", "charlie", "delta"}));
    int index = -1;
    EXPECT_TRUE(list.Find("bRaVo", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("cat", index));
    EXPECT_EQ(index, 4);

    for (auto edit :
         {+[](TStringList& l) { l.Insert(0, "x"); }, +[](TStringList& l) { l.Exchange(0, 1); },
          +[](TStringList& l) { l.Move(0, 1); }, +[](TStringList& l) { l.SetString(0, "x"); }}) {
        try {
            edit(list);
            ADD_FAILURE() << "positional edit allowed";
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), "Operation not allowed on sorted string list");
        }
    }
}

TEST(StringList, SortIsStableAndTheSameEverywhere) {
    TStringList list;
    Fill(list, {"beta", "alpha", "Zed", "\xE9t\xE9", "_x", "Alpha", "Ab"});
    list.SetSorted(true);
    // ASCII letters fold to lower case, so '_' sorts before them; other bytes sort by value.
    EXPECT_EQ(Lines(list), (V{"_x", "Ab", "alpha", "Alpha", "beta", "Zed", "\xE9t\xE9"}));
}

TEST(StringList, CaseSensitivityGovernsLookupAndOrder) {
    TStringList list;
    Fill(list, {"b", "B", "a"});
    EXPECT_EQ(list.IndexOf("B"), 0);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("B"), 1);
    EXPECT_EQ(list.IndexOf("A"), -1);
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (V{"B", "a", "b"}));
    list.SetCaseSensitive(false); // re-sorts under the new order
    EXPECT_EQ(Lines(list), (V{"a", "B", "b"}));
    EXPECT_EQ(list.IndexOf("A"), 0);
}

TEST(StringList, CustomSortOrdersByTheHookWithTheirObjects) {
    TStringList list;
    int one = 1, two = 2, three = 3;
    list.AddObject("ccc", &three);
    list.AddObject("a", &one);
    list.AddObject("bb", &two);
    list.Add("dd");
    auto byLength = [](const TStringList& l, int a, int b) {
        return static_cast<int>(l[a].size()) - static_cast<int>(l[b].size());
    };
    list.CustomSort(byLength);
    EXPECT_EQ(Lines(list), (V{"a", "bb", "dd", "ccc"}));
    EXPECT_EQ(*list.Objects<int>(1), 2);
    EXPECT_EQ(list.Objects<int>(2), nullptr);
    EXPECT_EQ(*list.Objects<int>(3), 3);

    list.SetSorted(true);
    list.CustomSort(byLength); // a sorted list keeps its own order
    EXPECT_EQ(Lines(list), (V{"a", "bb", "ccc", "dd"}));
}

TEST(StringList, TextSplitsOnAnyLineBreakAndJoinsWithCrLf) {
    TStringList list;
    list.SetText("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
    list.SetText("only\n");
    EXPECT_EQ(Lines(list), (V{"only"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
}

TEST(StringList, NameValueLines) {
    TStringList list;
    list.SetText("Path=C:\\App\nnovalue\nMode=a=b\n=anonymous");
    EXPECT_EQ(list.Names(0), "Path");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.Values("PATH"), "C:\\App");
    EXPECT_EQ(list.Values("mode"), "a=b");
    EXPECT_EQ(list.Values("novalue"), "");
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.IndexOfName(""), 3);

    list.SetValue("path", "D:\\");
    list.SetValue("New", "1");
    list.SetValue("Mode", "");
    EXPECT_EQ(Lines(list), (V{"path=D:\\", "novalue", "=anonymous", "New=1"}));

    TStringList sorted;
    sorted.SetSorted(true);
    Fill(sorted, {"b=2", "c=3"});
    sorted.SetValue("B", "9");
    sorted.SetValue("a", "1");
    EXPECT_EQ(Lines(sorted), (V{"a=1", "B=9", "c=3"}));
}

TEST(StringList, ExchangeAndMove) {
    TStringList list;
    Fill(list, {"0", "1", "2", "3"});
    int tag = 7;
    list.SetObject(3, &tag);
    list.Move(3, 0);
    EXPECT_EQ(Lines(list), (V{"3", "0", "1", "2"}));
    EXPECT_EQ(list.Objects<int>(0), &tag);
    list.Move(0, 3);
    list.Exchange(0, 3);
    EXPECT_EQ(Lines(list), (V{"3", "1", "2", "0"}));
    EXPECT_THROW(list.Move(0, 4), EStringListError);
}

struct Tracked {
    explicit Tracked(int& alive) : alive_(alive) { ++alive_; }
    ~Tracked() { --alive_; }
    int& alive_;
};

TEST(StringList, OwnedObjectsAreFreedWhenTheirItemGoes) {
    int alive = 0;
    {
        TStringList list;
        list.SetOwnsObjects(true);
        list.SetSorted(true);
        list.AddObject("a", new Tracked(alive));
        list.AddObject("b", new Tracked(alive));
        list.AddObject("c", new Tracked(alive));
        list.AddObject("A", new Tracked(alive)); // ignored duplicate: freed at once
        EXPECT_EQ(alive, 3);
        list.SetDuplicates(dupError);
        EXPECT_THROW(list.AddObject("b", new Tracked(alive)), EStringListError);
        EXPECT_EQ(alive, 3);
        list.Delete(0);
        EXPECT_EQ(alive, 2);
        list.SetObject(0, new Tracked(alive));
        EXPECT_EQ(alive, 2);
        EXPECT_NE(list.Objects<Tracked>(0), nullptr);
        EXPECT_EQ(list.Objects<int>(0), nullptr);
    }
    EXPECT_EQ(alive, 0);

    Tracked kept(alive);
    {
        TStringList borrowing;
        borrowing.AddObject("k", &kept);
        borrowing.Clear();
    }
    EXPECT_EQ(alive, 1);
}

TEST(StringList, AssignAndAddStringsCopyStringsAndObjects) {
    int x = 1;
    TStringList source;
    source.AddObject("one", &x);
    source.Add("two");
    TStringList copy;
    Fill(copy, {"old"});
    copy.Assign(source);
    EXPECT_EQ(Lines(copy), (V{"one", "two"}));
    EXPECT_EQ(copy.Objects<int>(0), &x);
    copy.AddStrings(copy);
    EXPECT_EQ(Lines(copy), (V{"one", "two", "one", "two"}));

    TStringList owner;
    owner.SetOwnsObjects(true);
    EXPECT_THROW(owner.Assign(source), EStringListError); // would free x
    TStringList plain;
    Fill(plain, {"p"});
    owner.AddStrings(plain);
    EXPECT_EQ(Lines(owner), (V{"p"}));
}

TEST(StringList, OnChangeFiresPerChangeOrOncePerUpdate) {
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TStringList& sender) {
        EXPECT_EQ(&sender, &list);
        ++changes;
    };
    list.Add("a");
    list.Delete(0);
    list.Clear(); // already empty: no change
    EXPECT_EQ(changes, 2);

    list.BeginUpdate();
    list.BeginUpdate();
    list.SetText("x\ny\nz");
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);

    list.BeginUpdate();
    EXPECT_EQ(list.IndexOf("y"), 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);
}

TEST(StringList, StreamsCarryCrLfText) {
    TStringList list;
    Fill(list, {"first", "second"});
    TMemoryStream stream;
    stream.WriteBuffer("HDR", 3);
    list.SaveToStream(stream);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), stream.Size()),
              "HDRfirst\r\nsecond\r\n");

    stream.SetPosition(3); // loads the rest of the stream only
    TStringList loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(Lines(loaded), (V{"first", "second"}));
}

} // namespace
} // namespace tarn
