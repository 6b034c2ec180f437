// A recording stand-in for the EPG database component, registered in the COM class table under
// the component's class, so the import job creates it through CoCreateInstance as it creates the
// real one. Every call is written to one call log as a readable line:
//
//   Database#1.Open() -> true            Programs.Create() -> Program#1
//   Program#1.SetTitle(Evening News)     Entries.Add(one::20261207180000::...) -> Entry#1
//   Entry#1.SetService(null)             Entry#1.SetStartTime(2026,12,7,18,0,0)
//
// Items are numbered per kind in the order they are made; collections are named by their kind.
// A call on an object that holds no reference ends in " without a reference" instead of ")".
// References are counted for real, and objects are never freed before the component is, so a
// test can ask which of them the job failed to release (or released too often).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/types.h"

namespace import_test {

class FakeComponent {
 public:
  // Registers the class; one component at a time.
  FakeComponent();
  // Unregisters the class.
  ~FakeComponent();
  FakeComponent(const FakeComponent&) = delete;
  FakeComponent& operator=(const FakeComponent&) = delete;

  // Scripted failures, by kind and method without the item number ("Database.Open",
  // "Database.GetPrograms", "Database.Save", "Programs.Create", "Entries.Add", "Services.Find",
  // ...): such a call returns the HRESULT given here and hands out no item, a flag of false.
  std::map<std::string, HRESULT> failing;

  // A service that the component holds before the run (no call is logged).
  void AddService(const std::string& channelId);

  // Every call so far, in order.
  const std::vector<std::string>& Calls() const { return calls_; }
  // The objects whose references are not all released, as "Program#2 holds 1" (or "released
  // too often"); empty when every reference handed out was released exactly once.
  std::vector<std::string> Unreleased() const;

  // For the fake objects: records a call, tells whether a call is scripted to fail (and its
  // result), and holds the objects and the component's contents.
  struct Store;
  void Record(std::string line) { calls_.push_back(std::move(line)); }
  bool Fails(const std::string& call, HRESULT* result) const;
  Store& store() { return *store_; }

 private:
  std::vector<std::string> calls_;
  std::unique_ptr<Store> store_;
};

}  // namespace import_test
