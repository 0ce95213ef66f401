#pragma once
// Name/value nodes and the sorted owning lists the scanner keeps them in.
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TNvpNode {
    std::string Name;
    std::string Value;
    TNvpNode() = default;
    TNvpNode(std::string name, std::string value)
        : Name(std::move(name)), Value(std::move(value)) {}
    virtual ~TNvpNode() = default;
};

// Owning list kept in ascending byte order of Name. A node inserted beside equal names goes
// before them, so a lookup finds the most recently inserted of several equal names.
template <typename T> class TNvpListOf {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    T& operator[](int i) const { return *FItems[static_cast<std::size_t>(i)]; }
    void Clear() { FItems.clear(); }

    // Walks from the last item towards the first and places the node after the first item
    // whose name is lower; with none it goes first.
    T& Add(std::unique_ptr<T> node) {
        std::size_t pos = FItems.size();
        while (pos > 0 && !(FItems[pos - 1]->Name < node->Name))
            --pos;
        return **FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(pos), std::move(node));
    }

    int IndexOf(std::string_view name) const {
        auto it = std::lower_bound(FItems.begin(), FItems.end(), name,
                                   [](const std::unique_ptr<T>& n, std::string_view k) {
                                       return std::string_view(n->Name) < k;
                                   });
        if (it == FItems.end() || (*it)->Name != name)
            return -1;
        return static_cast<int>(it - FItems.begin());
    }
    T* Node(std::string_view name) const {
        int i = IndexOf(name);
        return i < 0 ? nullptr : FItems[static_cast<std::size_t>(i)].get();
    }
    // The value of the named node, or empty text.
    std::string Value(std::string_view name) const {
        T* n = Node(name);
        return n ? n->Value : std::string();
    }
    void Delete(int i) { FItems.erase(FItems.begin() + i); }
    // Takes the node out of the list without destroying it.
    std::unique_ptr<T> Extract(int i) {
        std::unique_ptr<T> node = std::move(FItems[static_cast<std::size_t>(i)]);
        FItems.erase(FItems.begin() + i);
        return node;
    }
    // Removes every node of that name.
    void Remove(std::string_view name) {
        for (int i; (i = IndexOf(name)) >= 0;)
            Delete(i);
    }

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<T>> FItems;
};

using TNvpList = TNvpListOf<TNvpNode>;
