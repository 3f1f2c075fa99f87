#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <map>

namespace ZQ
{
// A map from key to text: the texts of one control or of the application in one language, or the create
// parameters of a control descriptor. The control factory keeps the tables it read and hands every
// caller a new table holding a copy, so changing one never changes another.
class LStringTable : public LRefCountedObject
{
public:
    using Map = std::map<WString, WString>; // ordered by UTF-16 code units
    using PairArray = Array<Pair<WString, WString>>;

    [[nodiscard]] static RCPtr<LStringTable> Create(const Map& entries = {});

    explicit LStringTable(const Map& entries) : mEntries(entries) {}
    ~LStringTable() override;

    // True and the text when the key exists; false, text unchanged, otherwise.
    bool GetString(const WString& key, WString& text) const;
    // E_INVALIDARG for an empty key; 0 when the key was added; 1 when its text was replaced.
    ZQRESULT SetString(const WString& key, const WString& text);
    [[nodiscard]] bool HasString(const WString& key) const;
    // Empties out and fills it with every pair, sorted by key; returns 0.
    ZQRESULT GetAllPairs(PairArray& out) const;
    // The same for the keys that begin with prefix (case-sensitive).
    ZQRESULT GetPairsWithPrefix(const WString& prefix, PairArray& out) const;

    [[nodiscard]] const Map& GetEntries() const { return mEntries; }

private:
    Map mEntries;
};
} // namespace ZQ
