// The checked resource lookup: a resource of the class asked for, or a
// fatal error that names the resource, its class and the class asked for.
#include <gtest/gtest.h>

#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"

namespace {

struct Resources {
    ResourceManager manager;
    int32_t count = 7;
    bool flag = false;
    PropertyInt number{u"number", 0, &count};
    PropertyBool yesNo{u"yesNo", 0, &flag};
    Resources() {
        manager.addResource(u"counter", &number);
        manager.addResource(u"switch", &yesNo);
    }
};

}  // namespace

TEST(ResourceLookup, FindsAResourceOfTheClassAskedForOrOfADerivedOne) {
    Resources r;
    EXPECT_EQ(findResource<PropertyInt>(u"counter"), &r.number);
    EXPECT_EQ(findResource<Property>(u"switch"), &r.yesNo);
    EXPECT_EQ(r.manager.findAs<PropertyBool>(u"switch"), &r.yesNo);
    // Not fatal: another class is as good as none.
    EXPECT_EQ(r.manager.findAs<PropertyBool>(u"counter", false), nullptr);
    EXPECT_EQ(r.manager.findAs<PropertyBool>(u"nothing", false), nullptr);
}

TEST(ResourceLookupDeathTest, AResourceOfAnotherClassEndsTheProgramNamingBothClasses) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        {
            Resources r;
            findResource<PropertyBool>(u"counter");
        },
        ::testing::ExitedWithCode(255), "The resource 'counter' is a PropertyInt, not a PropertyBool\\.");
    EXPECT_EXIT(
        {
            Resources r;
            r.manager.findAs<PropertyInt>(u"switch");
        },
        ::testing::ExitedWithCode(255), "The resource 'switch' is a PropertyBool, not a PropertyInt\\.");
    EXPECT_EXIT(
        {
            Resources r;
            findResource<PropertyInt>(u"count");
        },
        ::testing::ExitedWithCode(255), "Could not find resource 'count'\\.");
}

TEST(ResourceLookup, ANameIsFoundFromAViewIntoALongerText) {
    Resources r;
    const std::u16string text = u"counterswitch";
    EXPECT_EQ(r.manager.find(std::u16string_view(text).substr(0, 7), false), &r.number);
    EXPECT_EQ(r.manager.find(std::u16string_view(text).substr(7), false), &r.yesNo);
    EXPECT_EQ(r.manager.find(std::u16string_view(text).substr(0, 6), false), nullptr);
    // A name given again names the newer resource.
    r.manager.addResource(std::u16string_view(text).substr(0, 7), &r.yesNo);
    EXPECT_EQ(r.manager.find(u"counter", false), &r.yesNo);
    // Found often, then gone with the rest.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.manager.find(u"switch", false), &r.yesNo);
    r.manager.clear();
    EXPECT_EQ(r.manager.find(u"switch", false), nullptr);
    EXPECT_EQ(r.manager.find(u"counter", false), nullptr);
}

TEST(ResourceLookup, ARepeatedFindFollowsTheNamesWhenTheyChange) {
    Resources r;
    PropertyInt other{u"other", 0, &r.count};
    const char16_t* const name = u"counter";
    EXPECT_EQ(r.manager.find(name), &r.number);
    EXPECT_EQ(r.manager.find(name), &r.number);
    // A second resource under the name replaces the first for every find.
    r.manager.addResource(u"counter", &other);
    EXPECT_EQ(r.manager.find(name), &other);
    // Forgotten names are found no more, even where they were found before.
    r.manager.clear();
    EXPECT_EQ(r.manager.find(name, false), nullptr);
    r.manager.addResource(u"counter", &r.number);
    EXPECT_EQ(r.manager.find(name), &r.number);
}

TEST(ResourceLookup, ANameMadeWhereAnotherWasIsReadAgain) {
    Resources r;
    // The same characters, rewritten in place: the find reads the name.
    char16_t name[] = u"counter";
    EXPECT_EQ(r.manager.find(name), &r.number);
    std::u16string_view(u"switchX").copy(name, 7);
    EXPECT_EQ(r.manager.find(std::u16string_view(name, 6)), &r.yesNo);
    std::u16string_view(u"nothing").copy(name, 7);
    EXPECT_EQ(r.manager.find(std::u16string_view(name, 7), false), nullptr);
    std::u16string_view(u"counter").copy(name, 7);
    EXPECT_EQ(r.manager.find(std::u16string_view(name, 7)), &r.number);
}
