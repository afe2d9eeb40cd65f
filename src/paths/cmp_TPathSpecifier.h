// Path specifiers: components that stand for a folder or file known only on the target machine,
// the process-wide lists of specifier instances and standard specifier classes, and the creation
// of the standard set on a form.
#pragma once

#include "framework/Component.h"
#include "paths/PathSpecifierErrors.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::paths {

class TCustomPathSpecifier;

// A class reference: the class's name, how to make one and how to recognise one (an instance of
// the class or of a descendant).
struct TPathSpecifierClassInfo {
    std::string_view name;
    TCustomPathSpecifier* (*create)(TComponent* owner);
    bool (*isInstance)(const TCustomPathSpecifier* specifier);
};
using TPathSpecifierClass = const TPathSpecifierClassInfo*;

// The class reference of T, which names itself in T::kClassName.
template <class T> TPathSpecifierClass PathSpecifierClassOf() {
    static const TPathSpecifierClassInfo info{
        T::kClassName, [](TComponent* owner) -> TCustomPathSpecifier* { return new T(owner); },
        [](const TCustomPathSpecifier* specifier) {
            return dynamic_cast<const T*>(specifier) != nullptr;
        }};
    return &info;
}

class TCustomPathSpecifier : public TComponent {
public:
    static constexpr std::string_view kClassName = "TCustomPathSpecifier";
    // Computes the path of a specifier that has no rule of its own.
    using TExpandPathEvent = std::function<void(TComponent* object, std::string& path)>;

    explicit TCustomPathSpecifier(TComponent* owner);
    ~TCustomPathSpecifier() override;

    TExpandPathEvent OnExpandPath;
    const std::string& Identifier() const { return identifier_; }
    virtual std::string_view ClassName() const { return kClassName; }

    // Throws IEPathSpecifier when the specifier may not be used for object; the base accepts all.
    virtual void CheckObject(TComponent* object);
    virtual std::string GetDescription();
    virtual std::string GetObjectDescription(TComponent* object);
    // The folder or file the specifier stands for, as seen from object (the holder of the pair).
    virtual std::string ExpandPath(TComponent* object);
    virtual std::string GetCaption();
    virtual std::string GetObjectCaption(TComponent* object);

protected:
    void SetIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

private:
    std::string identifier_;
};

// The base of the built-in specifiers; each is also kept in the standard list.
class TStandardPathSpecifier : public TCustomPathSpecifier {
public:
    static constexpr std::string_view kClassName = "TStandardPathSpecifier";
    explicit TStandardPathSpecifier(TComponent* owner);
    ~TStandardPathSpecifier() override;
    std::string_view ClassName() const override { return kClassName; }
};

// Live specifier instances in creation order; holds references, owns nothing.
class TPathSpecifierList {
public:
    virtual ~TPathSpecifierList() = default;
    // Throws IEPathSpecifierList for nullptr.
    void Add(TCustomPathSpecifier* specifier);
    // Removes the first occurrence; absence is no error.
    void Remove(TCustomPathSpecifier* specifier);
    TCustomPathSpecifier* Items(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    // The first instance of the class or a descendant; throws IEPathSpecifier when none.
    virtual TCustomPathSpecifier* FindByClass(TPathSpecifierClass specifierClass) const;

private:
    std::vector<TCustomPathSpecifier*> items_;
};

class TStandardPathSpecList : public TPathSpecifierList {};

// The registered standard classes in registration order.
class TPathSpecifierClassList {
public:
    // Throws IEPathSpecifierClassList for nullptr.
    void Add(TPathSpecifierClass specifierClass);
    TPathSpecifierClass Items(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<TPathSpecifierClass> items_;
};

// The process-wide lists; nullptr outside the unit's lifetime (see PathSpecifierUnit).
TPathSpecifierList* PathSpecifierList();
TStandardPathSpecList* StandardPathSpecList();
TPathSpecifierClassList* PathSpecifierClassList();

// Creates the lists and registers the fifteen standard classes; only the first call of several
// does anything, and only the last matching Finalize frees them.
void InitializePathSpecifiers();
void FinalizePathSpecifiers();

// Keeps the lists alive for its lifetime.
class PathSpecifierUnit {
public:
    PathSpecifierUnit() { InitializePathSpecifiers(); }
    ~PathSpecifierUnit() { FinalizePathSpecifiers(); }
    PathSpecifierUnit(const PathSpecifierUnit&) = delete;
    PathSpecifierUnit& operator=(const PathSpecifierUnit&) = delete;
};

// Creates one specifier of each registered class, owned by owner and named by its Identifier.
// With onlyMissing, a class with a live instance anywhere in the process is skipped.
void CreateStandardSpecifiers(TComponent* owner, bool onlyMissing);

} // namespace tarn::paths
