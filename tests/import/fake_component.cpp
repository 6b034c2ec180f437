#include "tests/import/fake_component.h"

#include <concepts>

#include "import/epgdb/epg_database.h"
#include "platform/com/bstr.h"
#include "platform/com/com.h"

namespace import_test {
namespace fake {

// The name and reference count that every fake object has, whatever its interface.
class Counted {
 public:
  Counted(FakeComponent& component, std::string kind, std::string name)
      : component_(component), kind_(std::move(kind)), name_(std::move(name)) {}
  virtual ~Counted() = default;
  const std::string& Name() const { return name_; }
  int References() const { return references_; }

 protected:
  FakeComponent& component_;
  std::string kind_;  // "Program", "Programs", "Database": the prefix of scripted failures
  std::string name_;
  int references_ = 0;
};

std::string Arg(BSTR text) {
  return platform::BstrToAnsi(text);
}
std::string Arg(IUnknown* item) {
  if (item == nullptr)
    return "null";
  auto* counted = dynamic_cast<Counted*>(item);
  return counted == nullptr ? "foreign" : counted->Name();
}
template <std::integral T>
std::string Arg(T number) {
  return std::to_string(number);
}

template <typename Interface, const IID& kIid>
class Fake : public Interface, public Counted {
 public:
  using Counted::Counted;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid != IID_IUnknown && iid != kIid) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++references_); }
  // Never frees: the component owns its objects, so a reference released too often shows in
  // the count instead of as a use after free.
  ULONG Release() override { return static_cast<ULONG>(--references_); }

 protected:
  // Records "Name.method(arg,arg)", marked when the object holds no reference at all.
  template <typename... Args>
  HRESULT Call(const char* method, Args... args) {
    component_.Record(Line(method, args...));
    return S_OK;
  }
  template <typename... Args>
  std::string Line(const char* method, Args... args) const {
    std::string joined;
    const char* separator = "";
    for (const std::string& arg : std::vector<std::string>{Arg(args)...}) {
      joined += separator + arg;
      separator = ",";
    }
    return Head(method, joined);
  }
  // The job may only call an object it holds a reference to.
  std::string Head(const char* method, const std::string& args) const {
    return name_ + "." + method + "(" + args + (references_ > 0 ? ")" : ") without a reference");
  }
  bool Scripted(const char* method, HRESULT* result) const {
    return component_.Fails(kind_ + "." + method, result);
  }
  // Records "Name.method(args) -> Item" and hands out what `find` gives (null: S_FALSE) with a
  // new reference, unless the call is scripted to fail.
  template <typename Item, typename Find>
  HRESULT Hand(const char* method, const std::string& args, Item** out, Find find) {
    HRESULT result = S_OK;
    Item* item = nullptr;
    if (!Scripted(method, &result)) {
      item = find();
      result = item == nullptr ? S_FALSE : S_OK;
    }
    *out = item;
    if (item != nullptr)
      item->AddRef();
    component_.Record(Head(method, args) + " -> " + Arg(item));
    return result;
  }
  // Records "Name.method() -> true" (or false when scripted to fail) and sets the flag.
  HRESULT Answer(const char* method, VARIANT_BOOL* flag) {
    HRESULT result = S_OK;
    bool failed = Scripted(method, &result);
    *flag = failed ? VARIANT_FALSE : VARIANT_TRUE;
    component_.Record(Line(method) + " -> " + (failed ? "false" : "true"));
    return result;
  }
  FakeComponent::Store& Store() { return component_.store(); }
};

class Provider;
class Service;
class Entry;

}  // namespace fake

struct FakeComponent::Store {
  std::vector<std::unique_ptr<fake::Counted>> objects;
  std::map<std::string, int> made;  // per kind, for the item numbers
  std::map<std::string, fake::Provider*> providersByName;
  std::map<std::string, fake::Service*> servicesById;
  std::map<std::string, fake::Entry*> entriesByKey;

  template <typename T>
  T* Make(FakeComponent& component, const std::string& kind, bool numbered = true) {
    std::string name = numbered ? kind + "#" + std::to_string(++made[kind]) : kind;
    auto object = std::make_unique<T>(component, kind, name);
    T* raw = object.get();
    objects.push_back(std::move(object));
    return raw;
  }
};

namespace fake {

class Provider : public Fake<IProvider, IID_IProvider> {
 public:
  using Fake::Fake;
  HRESULT SetName(BSTR name) override {
    Store().providersByName[platform::BstrToAnsi(name)] = this;
    return Call("SetName", name);
  }
  HRESULT SetURL(BSTR url) override { return Call("SetURL", url); }
};

class Service : public Fake<IService, IID_IService> {
 public:
  using Fake::Fake;
  HRESULT SetId(BSTR id) override { return Call("SetId", id); }
  HRESULT SetName(BSTR name) override { return Call("SetName", name); }
  HRESULT SetIcon(BSTR url) override { return Call("SetIcon", url); }
};

class Program : public Fake<IProgram, IID_IProgram> {
 public:
  using Fake::Fake;
  HRESULT SetTitle(BSTR t) override { return Call("SetTitle", t); }
  HRESULT SetSubTitle(BSTR t) override { return Call("SetSubTitle", t); }
  HRESULT SetCategory(BSTR t) override { return Call("SetCategory", t); }
  HRESULT SetDescription(BSTR t) override { return Call("SetDescription", t); }
  HRESULT SetDirector(BSTR t) override { return Call("SetDirector", t); }
  HRESULT SetActors(BSTR t) override { return Call("SetActors", t); }
  HRESULT SetDate(LONG n) override { return Call("SetDate", n); }
  HRESULT SetStarRating(BSTR t) override { return Call("SetStarRating", t); }
  HRESULT SetSubtitles(BSTR t) override { return Call("SetSubtitles", t); }
  HRESULT SetPreviouslyShown(LONG n) override { return Call("SetPreviouslyShown", n); }
  HRESULT SetRating(BSTR t) override { return Call("SetRating", t); }
  HRESULT SetCountry(BSTR t) override { return Call("SetCountry", t); }
  HRESULT SetLanguage(BSTR t) override { return Call("SetLanguage", t); }
  HRESULT SetPresenter(BSTR t) override { return Call("SetPresenter", t); }
  HRESULT SetEpisodeNumber(BSTR t) override { return Call("SetEpisodeNumber", t); }
  HRESULT SetColour(LONG n) override { return Call("SetColour", n); }
  HRESULT SetAspect(BSTR t) override { return Call("SetAspect", t); }
  HRESULT SetAudioPresent(LONG n) override { return Call("SetAudioPresent", n); }
  HRESULT SetVideoPresent(LONG n) override { return Call("SetVideoPresent", n); }
  HRESULT SetStereo(BSTR t) override { return Call("SetStereo", t); }
  HRESULT SetOrigLanguage(BSTR t) override { return Call("SetOrigLanguage", t); }
  HRESULT SetLength(LONG n) override { return Call("SetLength", n); }
  HRESULT SetPremiere(LONG n) override { return Call("SetPremiere", n); }
  HRESULT SetLastChance(LONG n) override { return Call("SetLastChance", n); }
  HRESULT SetNew(LONG n) override { return Call("SetNew", n); }
};

class Entry : public Fake<IScheduleEntry, IID_IScheduleEntry> {
 public:
  using Fake::Fake;
  HRESULT SetProgram(IProgram* p) override { return Call("SetProgram", p); }
  HRESULT SetService(IService* s) override { return Call("SetService", s); }
  HRESULT SetProvider(IProvider* p) override { return Call("SetProvider", p); }
  HRESULT SetStartTime(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi,
                       uint16_t s) override {
    return Call("SetStartTime", y, mo, d, h, mi, s);
  }
  HRESULT SetEndTime(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi,
                     uint16_t s) override {
    return Call("SetEndTime", y, mo, d, h, mi, s);
  }
  HRESULT AddProgram(IProgram* p) override { return Call("AddProgram", p); }
};

template <typename Item, typename Map>
Item* Stored(Map& map, BSTR key) {
  auto found = map.find(platform::BstrToAnsi(key));
  return found == map.end() ? nullptr : found->second;
}

class Providers : public Fake<IProviders, IID_IProviders> {
 public:
  using Fake::Fake;
  HRESULT Create(IProvider** out) override {
    return Hand("Create", "", out, [&] { return Store().Make<Provider>(component_, "Provider"); });
  }
  HRESULT Lookup(BSTR name, IProvider** out) override {
    return Hand("Lookup", Arg(name), out,
                [&] { return Stored<Provider>(Store().providersByName, name); });
  }
};

class Programs : public Fake<IPrograms, IID_IPrograms> {
 public:
  using Fake::Fake;
  HRESULT Create(IProgram** out) override {
    return Hand("Create", "", out, [&] { return Store().Make<Program>(component_, "Program"); });
  }
};

// Add makes a new service every time, so that services of one id can be told apart.
class Services : public Fake<IServices, IID_IServices> {
 public:
  using Fake::Fake;
  HRESULT Find(BSTR id, IService** out) override {
    return Hand("Find", Arg(id), out, [&] { return Stored<Service>(Store().servicesById, id); });
  }
  HRESULT Lookup(BSTR id, IService** out) override {
    return Hand("Lookup", Arg(id), out, [&] { return Stored<Service>(Store().servicesById, id); });
  }
  HRESULT Add(BSTR id, IService** out) override {
    return Hand("Add", Arg(id), out, [&] {
      return Store().servicesById[Arg(id)] = Store().Make<Service>(component_, "Service");
    });
  }
};

class Entries : public Fake<IScheduleEntries, IID_IScheduleEntries> {
 public:
  using Fake::Fake;
  HRESULT Find(BSTR key, IScheduleEntry** out) override {
    return Hand("Find", Arg(key), out, [&] { return Stored<Entry>(Store().entriesByKey, key); });
  }
  HRESULT Add(BSTR key, IScheduleEntry** out) override {
    return Hand("Add", Arg(key), out, [&] {
      Entry*& entry = Store().entriesByKey[Arg(key)];
      if (entry == nullptr)
        entry = Store().Make<Entry>(component_, "Entry");
      return entry;
    });
  }
  HRESULT RemoveOlderThan(LONG days) override { return Call("RemoveOlderThan", days); }
  HRESULT Reconcile(IScheduleEntry* entry) override { return Call("Reconcile", entry); }
};

class Tunables : public Fake<ITunables, IID_ITunables> {
 public:
  using Fake::Fake;
};

class Lineups : public Fake<IChannelLineups, IID_IChannelLineups> {
 public:
  using Fake::Fake;
};

class Database : public Fake<IEPGDatabase, IID_IEPGDatabase> {
 public:
  using Fake::Fake;
  HRESULT Open(VARIANT_BOOL* opened) override { return Answer("Open", opened); }
  HRESULT PrepareSave(LONG* result) override {
    *result = 0;
    return Call("PrepareSave");
  }
  HRESULT Close(LONG* result) override {
    *result = 0;
    return Call("Close");
  }
  HRESULT SetSourceDescription(BSTR text) override { return Call("SetSourceDescription", text); }
  HRESULT GetChannelLineups(IChannelLineups** out) override {
    return Get<Lineups>("GetChannelLineups", "Lineups", out);
  }
  HRESULT GetPrograms(IPrograms** out) override {
    return Get<Programs>("GetPrograms", "Programs", out);
  }
  HRESULT GetProviders(IProviders** out) override {
    return Get<Providers>("GetProviders", "Providers", out);
  }
  HRESULT GetScheduleEntries(IScheduleEntries** out) override {
    return Get<Entries>("GetScheduleEntries", "Entries", out);
  }
  HRESULT GetServices(IServices** out) override {
    return Get<Services>("GetServices", "Services", out);
  }
  HRESULT GetTunables(ITunables** out) override {
    return Get<Tunables>("GetTunables", "Tunables", out);
  }
  HRESULT Clean(VARIANT_BOOL* cleaned) override { return Answer("Clean", cleaned); }
  HRESULT SetServicesFile(BSTR path) override { return Call("SetServicesFile", path); }
  HRESULT Save() override {
    HRESULT result = S_OK;
    Scripted("Save", &result);
    Call("Save");
    return result;
  }

 private:
  template <typename Collection, typename Item>
  HRESULT Get(const char* method, const char* kind, Item** out) {
    return Hand(method, "", out, [&] { return Store().Make<Collection>(component_, kind, false); });
  }
};

FakeComponent* g_component = nullptr;

HRESULT CreateDatabase(REFIID iid, void** object) {
  Database* database = g_component->store().Make<Database>(*g_component, "Database");
  return database->QueryInterface(iid, object);
}

}  // namespace fake

FakeComponent::FakeComponent() : store_(std::make_unique<Store>()) {
  fake::g_component = this;
  CoRegisterClass(CLSID_EPGDatabase, &fake::CreateDatabase);
}

FakeComponent::~FakeComponent() {
  CoUnregisterClass(CLSID_EPGDatabase);
  fake::g_component = nullptr;
}

void FakeComponent::AddService(const std::string& channelId) {
  store_->servicesById[channelId] = store_->Make<fake::Service>(*this, "Service");
}

std::vector<std::string> FakeComponent::Unreleased() const {
  std::vector<std::string> unreleased;
  for (const auto& object : store_->objects) {
    int references = object->References();
    if (references > 0)
      unreleased.push_back(object->Name() + " holds " + std::to_string(references));
    if (references < 0)
      unreleased.push_back(object->Name() + " released too often");
  }
  return unreleased;
}

bool FakeComponent::Fails(const std::string& call, HRESULT* result) const {
  auto found = failing.find(call);
  if (found == failing.end())
    return false;
  *result = found->second;
  return true;
}

}  // namespace import_test
