#include "framework/Component.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarn {
namespace {

using Log = std::vector<std::string>;

// Records what happens to it, and holds one reference it clears when told of its removal.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, std::string id, Log* log)
        : TComponent(owner), id_(std::move(id)), log_(log) {}
    ~TProbe() override {
        const bool ownerDestroying = Owner() && Owner()->ComponentState().Contains(csDestroying);
        Record("~" + id_ + (ownerDestroying ? " (owner going)" : ""));
    }

    TComponent* ref = nullptr;
    bool callBase = true;
    std::vector<TComponent*> freeOnRemove;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == opRemove && component == ref) ref = nullptr;
        if (operation == opInsert) Record(id_ + " saw insert");
        if (operation == opRemove) {
            Record(id_ + " saw remove");
            for (TComponent* c : std::exchange(freeOnRemove, {}))
                delete c;
        }
        if (callBase) TComponent::Notification(component, operation);
    }
    void Loaded() override {
        bool anyLoading = ComponentState().Contains(csLoading);
        for (int i = 0; i < ComponentCount(); ++i)
            anyLoading |= Components(i)->ComponentState().Contains(csLoading);
        Record("loaded " + id_ + (anyLoading ? " while loading" : ""));
    }

private:
    void Record(const std::string& what) {
        if (log_) log_->push_back(what);
    }
    std::string id_;
    Log* log_;
};

TEST(Component, OwnerFreesItsComponentsMostRecentFirst) {
    Log log;
    auto root = std::make_unique<TProbe>(nullptr, "root", &log);
    auto* a = Create<TProbe>(root.get(), "a", &log);
    Create<TProbe>(root.get(), "b", nullptr);
    Create<TProbe>(root.get(), "c", &log);
    Create<TProbe>(a, "a1", &log); // grandchild
    log.clear();
    root.reset();
    std::erase_if(log, [](const std::string& entry) { return entry[0] != '~'; });
    // The owner's own destructor runs first; its components then see it going.
    EXPECT_EQ(log, (Log{"~root", "~c (owner going)", "~a (owner going)", "~a1 (owner going)"}));
}

TEST(Component, DeletedComponentLeavesItsOwnerAndSiblingsHear) {
    Log log;
    auto root = std::make_unique<TComponent>(nullptr);
    auto* a = Create<TProbe>(root.get(), "a", &log);
    auto* b = Create<TProbe>(root.get(), "b", &log);
    auto* c = Create<TProbe>(root.get(), "c", &log);
    a->ref = b;
    log.clear();
    delete b;
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->Components(1), c);
    EXPECT_EQ(c->ComponentIndex(), 1);
    EXPECT_EQ(a->ref, nullptr);
    EXPECT_EQ(log, (Log{"~b", "c saw remove", "a saw remove"}));
    EXPECT_THROW(root->Components(2), EComponentError);
    EXPECT_EQ(root->ComponentIndex(), -1);
}

TEST(Component, InsertionIsAnnouncedToTheOwnersComponents) {
    Log log;
    TComponent root(nullptr);
    Create<TProbe>(&root, "a", &log);
    Create<TProbe>(&root, "b", &log);
    // The newcomer is still being constructed, so only a's override runs.
    EXPECT_EQ(log, (Log{"a saw insert"}));
}

TEST(Component, NamesAreUniqueAmongSiblingsWithoutRegardToCase) {
    TComponent root(nullptr), other(nullptr);
    auto* a = Create<TComponent>(&root);
    auto* b = Create<TComponent>(&root);
    a->SetName("Button1");
    try {
        b->SetName("BUTTON1");
        FAIL() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("button1"); // renaming itself is no clash
    EXPECT_EQ(root.FindComponent("BUTTON1"), a);
    EXPECT_EQ(root.FindComponent(""), nullptr);
    Create<TComponent>(&other)->SetName("Button1"); // another owner, another namespace
    Create<TComponent>(&root);                      // several unnamed components are fine
    EXPECT_EQ(root.ComponentCount(), 3);
}

TEST(Component, NamesMustBeIdentifiers) {
    TComponent c(nullptr);
    for (const char* bad : {"1abc", "a b", "a-b", "\xE9t\xE9", " x"}) {
        try {
            c.SetName(bad);
            ADD_FAILURE() << bad;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(),
                      std::string("Component name \"") + bad + "\" is not a valid identifier");
        }
    }
    c.SetName("_Setup2");
    EXPECT_EQ(c.Name(), "_Setup2");
    c.SetName("");
    EXPECT_EQ(c.Name(), "");
}

TEST(Component, FreeNotificationLinksBothWays) {
    auto p = std::make_unique<TProbe>(nullptr, "p", nullptr);
    auto q = std::make_unique<TProbe>(nullptr, "q", nullptr);
    auto r = std::make_unique<TProbe>(nullptr, "r", nullptr);
    p->FreeNotification(q.get());
    q->ref = p.get();
    p.reset();
    EXPECT_EQ(q->ref, nullptr);

    r->FreeNotification(q.get());
    r->ref = q.get();
    q.reset();
    EXPECT_EQ(r->ref, nullptr); // the link also runs the other way

    auto s = std::make_unique<TProbe>(nullptr, "s", nullptr);
    s->FreeNotification(r.get());
    r->ref = s.get();
    s->RemoveFreeNotification(r.get());
    s.reset();
    EXPECT_NE(r->ref, nullptr); // unlinked, so not told
}

TEST(Component, LinksGoEvenWhenANotifiedComponentKeepsItsOwnList) {
    // Under the sanitizers a stale link would show as a use after free on the second delete.
    auto keeper = std::make_unique<TProbe>(nullptr, "keeper", nullptr);
    keeper->callBase = false;
    auto* gone = new TComponent(nullptr);
    gone->FreeNotification(keeper.get());
    delete gone;
    keeper.reset();
}

TEST(Component, NotificationHandlersMayFreeOtherComponents) {
    Log log;
    auto root = std::make_unique<TComponent>(nullptr);
    auto* a = Create<TProbe>(root.get(), "a", &log);
    auto* b = Create<TProbe>(root.get(), "b", &log);
    auto* c = Create<TProbe>(root.get(), "c", &log);
    auto* d = Create<TProbe>(root.get(), "d", &log);
    d->freeOnRemove = {b, c};
    delete a;
    EXPECT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->Components(0), d);
}

TEST(Component, DesigningReachesOwnedAndLaterComponents) {
    TComponent root(nullptr);
    auto* a = Create<TComponent>(&root);
    root.SetDesigning(true);
    auto* b = Create<TComponent>(&root);
    EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
    EXPECT_TRUE(b->ComponentState().Contains(csDesigning));
    root.SetDesigning(false, false);
    EXPECT_FALSE(root.ComponentState().Contains(csDesigning));
    EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
}

TEST(Component, LoadedRunsOnceLoadingIsOverOwnerFirst) {
    Log log;
    TProbe root(nullptr, "root", &log);
    auto* a = Create<TProbe>(&root, "a", &log);
    Create<TProbe>(a, "a1", &log);
    Create<TProbe>(&root, "b", &log);
    log.clear();
    root.BeginLoading();
    EXPECT_TRUE(a->ComponentState().Contains(csLoading));
    root.EndLoading();
    EXPECT_EQ(log, (Log{"loaded root", "loaded a", "loaded a1", "loaded b"}));
    log.clear();
    root.EndLoading(); // nothing left pending
    EXPECT_TRUE(log.empty());
}

TEST(Component, CreateRequiresAnOwnerAndTagIsKept) {
    EXPECT_THROW(Create<TComponent>(nullptr), EComponentError);
    TComponent root(nullptr);
    auto* c = Create<TComponent>(&root);
    c->SetTag(-42);
    EXPECT_EQ(c->Owner(), &root);
    EXPECT_EQ(root.Components(0)->Tag(), -42);
}

} // namespace
} // namespace tarn
