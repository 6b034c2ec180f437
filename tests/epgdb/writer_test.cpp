// The writer thread: tasks run in the order they were handed over, Drain waits for all of them,
// and a task that fails makes the session's Save fail.
#include "epgdb/writer.h"

#include <gtest/gtest.h>

#include <new>

#include "epgdb/session.h"
#include "tests/epgdb/test_database.h"

namespace epgdb_test {
namespace {

TEST(Writer, RunsEveryTaskInOrderAndTheOthersWhenOneThrows) {
  std::vector<int> done;  // written by the writer thread, read here only after Drain
  {
    epgdb::Writer writer;
    writer.Drain();  // with nothing queued
    // Far more tasks than the queue holds: Post must wait for room, never drop or reorder.
    for (int i = 0; i < 50000; ++i)
      writer.Post([&done, i] { done.push_back(i); });
    writer.Post([] { throw std::bad_alloc(); });
    writer.Post([&done] { done.push_back(-1); });
    writer.Drain();
    EXPECT_TRUE(writer.Failed());
    ASSERT_EQ(done.size(), 50001u);
    for (int i = 0; i < 50000; ++i)
      ASSERT_EQ(done[i], i);
    writer.Post([&done] { done.push_back(-2); });
  }  // the destructor runs what is still queued
  EXPECT_EQ(done.back(), -2);
}

using WriterSessionTest = DatabaseTest;

TEST_F(WriterSessionTest, AFailureOnTheWriterThreadFailsTheSave) {
  for (bool fail : {false, true}) {
    std::shared_ptr<epgdb::Session> session = epgdb::Session::Open(db_);
    ASSERT_NE(session, nullptr);
    session->SetMetadata("source_description", fail ? "lost" : "kept");
    if (fail)
      session->Post([] { throw std::bad_alloc(); });
    EXPECT_EQ(session->Save() < 0, fail);
    session->Close();
  }
  EXPECT_EQ(Scalar("SELECT value FROM metadata WHERE key = 'source_description'"), "kept");
}

}  // namespace
}  // namespace epgdb_test
