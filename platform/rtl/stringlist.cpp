#include "platform/rtl/stringlist.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

TStringList::TStringList(const TStringList& other)
    : Delimiter(other.Delimiter)
    , QuoteChar(other.QuoteChar)
    , NameValueSeparator(other.NameValueSeparator)
    , StrictDelimiter(other.StrictDelimiter)
    , m_items(other.m_items)
    , m_sorted(other.m_sorted)
    , m_caseSensitive(other.m_caseSensitive)
    , m_duplicates(other.m_duplicates)
{
}

TStringList& TStringList::operator=(const TStringList& other)
{
    // Events stay with their owner; only the contents and their rules are copied.
    if (this != &other) {
        changing();
        Delimiter = other.Delimiter;
        QuoteChar = other.QuoteChar;
        NameValueSeparator = other.NameValueSeparator;
        StrictDelimiter = other.StrictDelimiter;
        m_items = other.m_items;
        m_sorted = other.m_sorted;
        m_caseSensitive = other.m_caseSensitive;
        m_duplicates = other.m_duplicates;
        changed();
    }
    return *this;
}

void TStringList::checkIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::checkUnsorted() const
{
    if (m_sorted)
        throw EStringListError("Operation not allowed on sorted list");
}

int TStringList::compareStrings(std::string_view a, std::string_view b) const
{
    return m_caseSensitive ? CompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::changing()
{
    if (m_updateCount == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::changed()
{
    if (m_updateCount == 0 && OnChange)
        OnChange(this);
}

void TStringList::BeginUpdate()
{
    if (m_updateCount == 0)
        changing();
    ++m_updateCount;
}

void TStringList::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        changed();
}

const std::string& TStringList::Get(int index) const
{
    checkIndex(index);
    return m_items[static_cast<std::size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s)
{
    checkUnsorted();
    checkIndex(index);
    changing();
    m_items[static_cast<std::size_t>(index)].text = s;
    changed();
}

void* TStringList::Objects(int index) const
{
    checkIndex(index);
    return m_items[static_cast<std::size_t>(index)].object;
}

void TStringList::PutObject(int index, void* object)
{
    checkIndex(index);
    changing();
    m_items[static_cast<std::size_t>(index)].object = object;
    changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, void* object)
{
    int index = Count();
    if (m_sorted && Find(s, index)) {
        if (m_duplicates == dupIgnore)
            return index;
        if (m_duplicates == dupError)
            throw EStringListError("String list does not allow duplicates");
    }
    insertItem(index, s, object);
    return index;
}

void TStringList::AddStrings(const TStringList& strings)
{
    BeginUpdate();
    try {
        for (const Item& item : strings.m_items)
            AddObject(item.text, item.object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::Assign(const TStringList& strings)
{
    if (&strings == this)
        return;
    BeginUpdate();
    m_items.clear();
    try {
        AddStrings(strings);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, void* object)
{
    checkUnsorted();
    if (index < 0 || index > Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    insertItem(index, s, object);
}

void TStringList::insertItem(int index, const std::string& s, void* object)
{
    changing();
    m_items.insert(m_items.begin() + index, Item { s, object });
    changed();
}

void TStringList::Delete(int index)
{
    checkIndex(index);
    changing();
    m_items.erase(m_items.begin() + index);
    changed();
}

void TStringList::Clear()
{
    if (m_items.empty())
        return;
    changing();
    m_items.clear();
    changed();
}

void TStringList::Exchange(int index1, int index2)
{
    checkIndex(index1);
    checkIndex(index2);
    changing();
    std::swap(m_items[static_cast<std::size_t>(index1)], m_items[static_cast<std::size_t>(index2)]);
    changed();
}

void TStringList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    checkIndex(curIndex);
    checkIndex(newIndex);
    checkUnsorted();
    changing();
    Item item = std::move(m_items[static_cast<std::size_t>(curIndex)]);
    m_items.erase(m_items.begin() + curIndex);
    m_items.insert(m_items.begin() + newIndex, std::move(item));
    changed();
}

int TStringList::IndexOf(std::string_view s) const
{
    if (m_sorted) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (compareStrings(m_items[static_cast<std::size_t>(i)].text, s) == 0)
            return i;
    }
    return -1;
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& text = m_items[static_cast<std::size_t>(i)].text;
        const std::size_t sep = text.find(NameValueSeparator);
        if (sep != std::string::npos && compareStrings(std::string_view(text).substr(0, sep), name) == 0)
            return i;
    }
    return -1;
}

int TStringList::IndexOfObject(const void* object) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_items[static_cast<std::size_t>(i)].object == object)
            return i;
    }
    return -1;
}

bool TStringList::Find(std::string_view s, int& index) const
{
    // Binary search for the first of any equals, so Find and IndexOf agree.
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const int c = compareStrings(m_items[static_cast<std::size_t>(mid)].text, s);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = low;
    return found;
}

std::string TStringList::Names(int index) const
{
    const std::string& text = Get(index);
    const std::size_t sep = text.find(NameValueSeparator);
    return sep == std::string::npos ? std::string() : text.substr(0, sep);
}

std::string TStringList::Values(std::string_view name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStringList::SetValue(std::string_view name, std::string_view value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    std::string line = std::string(name) + NameValueSeparator + std::string(value);
    if (index < 0) {
        Add(line);
    } else if (m_sorted) {
        // A sorted list keeps its order: the line goes out and back in at its place.
        void* object = m_items[static_cast<std::size_t>(index)].object;
        BeginUpdate();
        Delete(index);
        AddObject(line, object);
        EndUpdate();
    } else {
        Put(index, line);
    }
}

std::string TStringList::ValueFromIndex(int index) const
{
    const std::string& text = Get(index);
    const std::size_t sep = text.find(NameValueSeparator);
    return sep == std::string::npos ? std::string() : text.substr(sep + 1);
}

std::string TStringList::Text() const
{
    std::size_t size = 0;
    for (const Item& item : m_items)
        size += item.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Item& item : m_items) {
        out += item.text;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text)
{
    BeginUpdate();
    m_items.clear();
    try {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string_view::npos) {
                Add(std::string(text.substr(start)));
                break;
            }
            Add(std::string(text.substr(start, end - start)));
            start = end + 1;
            if (text[end] == '\r' && start < text.size() && text[start] == '\n')
                ++start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStringList::DelimitedText() const
{
    if (Count() == 1 && m_items[0].text.empty())
        return std::string(2, QuoteChar);
    std::string out;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const std::string& s = m_items[i].text;
        const bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
            return c == QuoteChar || c == Delimiter || c == '\0' || (!StrictDelimiter && static_cast<unsigned char>(c) <= ' ');
        });
        if (i > 0)
            out += Delimiter;
        if (!quote) {
            out += s;
            continue;
        }
        out += QuoteChar;
        for (char c : s) {
            out += c;
            if (c == QuoteChar)
                out += QuoteChar;
        }
        out += QuoteChar;
    }
    return out;
}

void TStringList::SetDelimitedText(std::string_view text)
{
    auto isSpace = [&](char c) { return !StrictDelimiter && c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    BeginUpdate();
    m_items.clear();
    try {
        std::size_t i = 0;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        while (i < text.size()) {
            std::string item;
            if (text[i] == QuoteChar) {
                ++i;
                while (i < text.size()) {
                    if (text[i] == QuoteChar) {
                        if (i + 1 < text.size() && text[i + 1] == QuoteChar) {
                            item += QuoteChar;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    item += text[i++];
                }
            } else {
                while (i < text.size() && text[i] != Delimiter && !isSpace(text[i]))
                    item += text[i++];
            }
            Add(item);
            while (i < text.size() && isSpace(text[i]))
                ++i;
            if (i < text.size() && text[i] == Delimiter) {
                ++i;
                if (i == text.size())
                    Add(std::string());
                while (i < text.size() && isSpace(text[i]))
                    ++i;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStringList::CommaText() const
{
    TStringList copy(*this);
    copy.Delimiter = ',';
    copy.QuoteChar = '"';
    copy.StrictDelimiter = false;
    return copy.DelimitedText();
}

void TStringList::SetCommaText(std::string_view text)
{
    const char delimiter = Delimiter;
    const char quote = QuoteChar;
    const bool strict = StrictDelimiter;
    Delimiter = ',';
    QuoteChar = '"';
    StrictDelimiter = false;
    try {
        SetDelimitedText(text);
    } catch (...) {
        Delimiter = delimiter;
        QuoteChar = quote;
        StrictDelimiter = strict;
        throw;
    }
    Delimiter = delimiter;
    QuoteChar = quote;
    StrictDelimiter = strict;
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    if (sorted)
        Sort();
    m_sorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == m_caseSensitive)
        return;
    m_caseSensitive = caseSensitive;
    if (m_sorted)
        Sort();
}

void TStringList::Sort()
{
    if (m_items.size() < 2)
        return;
    changing();
    std::stable_sort(m_items.begin(), m_items.end(),
                     [this](const Item& a, const Item& b) { return compareStrings(a.text, b.text) < 0; });
    changed();
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (m_sorted || m_items.size() < 2 || !compare)
        return;
    // Heap sort through the list itself, so the comparison sees live indexes
    // and no input can make it quadratic.
    BeginUpdate();
    const int n = Count();
    auto siftDown = [&](int root, int end) {
        for (;;) {
            int child = 2 * root + 1;
            if (child >= end)
                return;
            if (child + 1 < end && compare(this, child, child + 1) < 0)
                ++child;
            if (compare(this, root, child) >= 0)
                return;
            std::swap(m_items[static_cast<std::size_t>(root)], m_items[static_cast<std::size_t>(child)]);
            root = child;
        }
    };
    try {
        for (int start = n / 2 - 1; start >= 0; --start)
            siftDown(start, n);
        for (int end = n - 1; end > 0; --end) {
            std::swap(m_items[0], m_items[static_cast<std::size_t>(end)]);
            siftDown(0, end);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::LoadFromFile(const std::string& fileName)
{
    std::string bytes;
    if (fileName.empty() || !ReadWholeFile(fileName, bytes))
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
    SetText(bytes);
}

void TStringList::SaveToFile(const std::string& fileName) const
{
    if (fileName.empty() || !WriteFileAtomically(fileName, Text()))
        throw EFCreateError("Cannot create file \"" + fileName + "\"");
}

void TStringList::LoadFromStream(TStream& stream)
{
    const std::int64_t left = stream.Size() - stream.Position();
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)), '\0');
    stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    SetText(bytes);
}

void TStringList::SaveToStream(TStream& stream) const { stream.WriteString(Text()); }
