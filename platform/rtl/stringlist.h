#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A list of code-page strings, each with an optional object pointer (not owned):
// the runtime's workhorse for lines, "Name=Value" pairs and comma lists.
class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    using TNotifyEvent = std::function<void(TStringList* Sender)>;
    // Negative, zero or positive as item Index1 sorts before, with or after Index2.
    using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

    TStringList() = default;
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    virtual ~TStringList() = default;

    int Count() const { return static_cast<int>(m_items.size()); }
    // EStringListError "List index out of bounds (<n>)" for a bad index, here and below.
    const std::string& operator[](int index) const { return Get(index); }
    const std::string& Get(int index) const;
    const std::string& Strings(int index) const { return Get(index); }
    void Put(int index, const std::string& s);
    void* Objects(int index) const;
    void PutObject(int index, void* object);

    // In a sorted list the string goes to its place, and Duplicates decides about equals.
    int Add(const std::string& s);
    int AddObject(const std::string& s, void* object);
    void Append(const std::string& s) { Add(s); }
    void AddStrings(const TStringList& strings);
    void Assign(const TStringList& strings);
    void Insert(int index, const std::string& s);
    void InsertObject(int index, const std::string& s, void* object);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);

    // Case-blind unless CaseSensitive; -1 when absent.
    int IndexOf(std::string_view s) const;
    int IndexOfName(std::string_view name) const;
    int IndexOfObject(const void* object) const;
    // Sorted lists only: the index of s, or where it would go.
    bool Find(std::string_view s, int& index) const;

    // "Name=Value" lines: the part before the first '=' ("" when there is none) and after it.
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;
    // Sets the first line of that name, adds one, or removes it when value is "".
    void SetValue(std::string_view name, std::string_view value);
    std::string ValueFromIndex(int index) const;

    // Each line followed by CR LF.
    std::string Text() const;
    // Splits on CR LF, LF or a lone CR; a final line break makes no empty line.
    void SetText(std::string_view text);
    // Items joined by Delimiter, quoted with QuoteChar where they hold blanks, quotes or delimiters.
    std::string DelimitedText() const;
    // Reads quoted and plain items; unless StrictDelimiter, blanks separate items too.
    void SetDelimitedText(std::string_view text);
    std::string CommaText() const;
    void SetCommaText(std::string_view text);

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }
    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool caseSensitive);
    void Sort();
    void CustomSort(const TStringListSortCompare& compare);

    // EFOpenError "Cannot open file "<name>"" when it cannot be read.
    void LoadFromFile(const std::string& fileName);
    // Lines end in CR LF; the file is replaced whole or not at all (EFCreateError otherwise).
    void SaveToFile(const std::string& fileName) const;

    // The bytes from the stream's position to its end, split as SetText does.
    void LoadFromStream(TStream& stream);
    // Text() at the stream's position (EWriteError when it does not all fit).
    void SaveToStream(TStream& stream) const;

    // Holds back OnChange until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    char Delimiter { ',' };
    char QuoteChar { '"' };
    char NameValueSeparator { '=' };
    bool StrictDelimiter { false };

    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

private:
    struct Item {
        std::string text;
        void* object { nullptr };
    };

    void checkIndex(int index) const;
    void checkUnsorted() const;
    int compareStrings(std::string_view a, std::string_view b) const;
    void insertItem(int index, const std::string& s, void* object);
    void changing();
    void changed();

    std::vector<Item> m_items;
    bool m_sorted { false };
    bool m_caseSensitive { false };
    TDuplicates m_duplicates { dupIgnore };
    int m_updateCount { 0 };
};

// The runtime's abstract list is this one here.
using TStrings = TStringList;
