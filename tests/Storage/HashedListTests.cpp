#include "ZQFramework/Utilities/Storage/HashedList.h"
#include "ZQFramework/Utilities/Storage/RCPtrMap.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
// A record that carries its own key, like the glyph records.
struct Glyph
{
    int32_t id;
    int32_t advance;
};

int32_t GlyphId(const Glyph& glyph)
{
    return glyph.id;
}

using GlyphList = ZQ::HashedList<Glyph, int32_t, &GlyphId, 8, &ZQ::GetBits<8, 0, int32_t>>;
using HandleList =
    ZQ::HashedList<intptr_t, intptr_t, &ZQ::GetSelf<intptr_t>, 8, &ZQ::GetBits<8, 4, intptr_t>>;

TEST(HashedList, AddReplacesThePresentKeysValue)
{
    GlyphList list;
    EXPECT_TRUE(list.Add({5, 10}));
    EXPECT_TRUE(list.Add({261, 20})); // same bucket as 5 with the low 8 bits
    EXPECT_FALSE(list.Add({5, 11}));
    EXPECT_EQ(list.GetCount(), 2);
    const Glyph none{-1, -1};
    EXPECT_EQ(list.Find(5, none).advance, 11);
    EXPECT_EQ(list.Find(261, none).advance, 20);
    EXPECT_EQ(&list.Find(6, none), &none);
}

TEST(HashedList, RemoveAndRemoveAllForgetKeys)
{
    HandleList list;
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);

    // 0x1000 and 0x1008 differ outside bits 4 to 11: one bucket, both found.
    const intptr_t keys[] = {0x1000, 0x1008, 0x2010, intptr_t{0x7F0000001000}};
    for (intptr_t key : keys)
        EXPECT_TRUE(list.Add(key));
    const intptr_t none = -1;
    for (intptr_t key : keys)
        EXPECT_EQ(list.Find(key, none), key);
    EXPECT_EQ(list.GetCount(), 4);

    EXPECT_FALSE(list.Remove(0x3000));
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_TRUE(list.Remove(0x2010));
    EXPECT_EQ(list.Find(0x2010, none), none);
    EXPECT_TRUE(list.Add(0x2010)); // the emptied bucket is usable again
    EXPECT_TRUE(list.Remove(0x1000));
    EXPECT_EQ(list.Find(0x1008, none), 0x1008);

    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    for (intptr_t key : keys)
        EXPECT_EQ(list.Find(key, none), none);
}

TEST(HashedList, KeysAtFullAddressWidthStayApart)
{
    HandleList list;
    const intptr_t low = 0x1230;
    const intptr_t high = (intptr_t{1} << 40) | low; // equal in the low 32 bits
    EXPECT_TRUE(list.Add(low));
    EXPECT_TRUE(list.Add(high));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_TRUE(list.Remove(high));
    EXPECT_EQ(list.Find(low, intptr_t{0}), low);
}

// Objects whose identity is the key of the map, and the records mapped to them.
class Font : public ZQ::LRefCountedObject
{
public:
    explicit Font(std::u16string name) : mName(std::move(name)) {}
    [[nodiscard]] ZQ::ConstRCPtr<ZQ::LRefCountedObject> CreateCopy() const override
    {
        return ZQ::ConstRCPtr<ZQ::LRefCountedObject>(new Font(mName));
    }
    bool operator==(const Font& other) const { return mName == other.mName; }

private:
    std::u16string mName;
};

class FileInfo : public ZQ::LRefCountedObject
{
public:
    explicit FileInfo(int32_t size) : size(size) {}
    int32_t size;
};

using FontMap = ZQ::RCPtrMap<Font, FileInfo, 8>;

TEST(RCPtrMap, MapsObjectsByIdentity)
{
    FontMap map;
    const ZQ::ConstRCPtr<Font> arial(new Font(u"Arial"));
    const ZQ::ConstRCPtr<Font> arialAgain(new Font(u"Arial"));
    const ZQ::RCPtr<FileInfo> first(new FileInfo(1));
    const ZQ::RCPtr<FileInfo> second(new FileInfo(2));

    EXPECT_TRUE(map.Lookup(arial).IsNull());
    EXPECT_TRUE(map.SetAt(arial, first));
    EXPECT_EQ(map.Lookup(arial).Get(), first.Get());
    EXPECT_TRUE(map.Lookup(arialAgain).IsNull()); // equal, but another object
    EXPECT_EQ(first->GetRefCount(), 2);           // ours and the map pair's

    const FontMap::MapPair* oldPair = map.GetPair(arial).Get();
    ASSERT_NE(oldPair, nullptr);
    EXPECT_FALSE(map.SetAt(arial, second));
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ(map.Lookup(arial).Get(), second.Get());
    EXPECT_EQ(first->GetRefCount(), 1); // the old pair is gone

    EXPECT_TRUE(map.GetPair(arialAgain).IsNull());
    EXPECT_FALSE(map.RemoveKey(arialAgain));
    EXPECT_TRUE(map.RemoveKey(arial));
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(arial->GetRefCount(), 1);
}

TEST(RCPtrMap, KeysAPairByItsKeyObjectEvenWhileThatObjectIsUnshareable)
{
    FontMap map;
    Font* const font = new Font(u"Arial");
    const ZQ::RCPtr<FontMap::MapPair> pair(
        new FontMap::MapPair(ZQ::ConstRCPtr<Font>(font), ZQ::RCPtr<FileInfo>(new FileInfo(1))));

    // The pair holds the only reference; a counted reference taken now would be a private copy, yet
    // the pair is keyed by the font itself.
    font->SetUnshareable(true);
    EXPECT_TRUE(map.Add(pair));
    EXPECT_TRUE(map.Lookup(pair->first).IsNull()); // the lookup's own reference is such a copy
    font->SetUnshareable(false);
    EXPECT_EQ(map.GetPair(pair->first).Get(), pair.Get());
    EXPECT_EQ(map.Lookup(pair->first)->size, 1);
}

TEST(RCPtrMap, ReleasesEveryPairWhenDestroyed)
{
    const ZQ::ConstRCPtr<Font> font(new Font(u"Liberation Sans"));
    const ZQ::RCPtr<FileInfo> info(new FileInfo(3));
    {
        FontMap map;
        map.SetAt(font, info);
        EXPECT_EQ(font->GetRefCount(), 2);
    }
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(info->GetRefCount(), 1);
}
} // namespace
