#include <gtest/gtest.h>

#include "platform/classes/Lists.h"

namespace {
TEST(TList, IndexingAndErrors) {
  TList l;
  int a = 1, b = 2, c = 3;
  l.Add(&a);
  l.Add(&c);
  l.Insert(1, &b);
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l[1], &b);
  EXPECT_EQ(l.IndexOf(&c), 2);
  l.Move(2, 0);
  EXPECT_EQ(l.First(), &c);
  EXPECT_EQ(l.Remove(&a), 1);
  EXPECT_EQ(l.Remove(&a), -1);
  l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(l.Last(), &c);
  EXPECT_THROW(l.Items(2), EListError);
  EXPECT_THROW(l.Insert(-1, &a), EListError);
}

TEST(TStringList, SortedIsCaseInsensitiveWithDuplicateRules) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"beta", "Alpha", "gamma", "ALPHA"}) l.Add(s);
  EXPECT_EQ(l.Count(), 3);  // dupIgnore by default: "ALPHA" equals "Alpha"
  EXPECT_EQ(l[0], "Alpha");
  EXPECT_EQ(l[2], "gamma");
  int idx = -1;
  EXPECT_TRUE(l.Find("BETA", idx));
  EXPECT_EQ(idx, 1);
  EXPECT_FALSE(l.Find("delta", idx));
  EXPECT_EQ(idx, 2);  // where it would go
  EXPECT_EQ(l.IndexOf("GAMMA"), 2);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);

  l.SetDuplicates(dupError);
  EXPECT_THROW(l.Add("beta"), EStringListError);
  l.SetDuplicates(dupAccept);
  l.Add("BETA");
  EXPECT_EQ(l.Count(), 4);
  EXPECT_EQ(l[2], "BETA");  // after the equal one already there
}

TEST(TStringList, ObjectsAndOwnership) {
  struct Counted : TObject {
    int* deaths;
    explicit Counted(int* d) : deaths(d) {}
    ~Counted() override { ++*deaths; }
  };
  int deaths = 0;
  {
    TStringList l;
    Counted keep(&deaths);
    l.AddObject("a", &keep);
    EXPECT_EQ(l.Objects(0), &keep);
    EXPECT_EQ(l.IndexOfObject(&keep), 0);
  }
  EXPECT_EQ(deaths, 1);  // not owned: only the stack object died
  {
    TStringList l;
    l.SetOwnsObjects(true);
    l.AddObject("a", new Counted(&deaths));
    l.AddObject("b", new Counted(&deaths));
    l.Delete(0);
    EXPECT_EQ(deaths, 2);
  }
  EXPECT_EQ(deaths, 3);
}

TEST(TStrings, TextSplitsOnEveryLineBreak) {
  const std::pair<const char*, std::vector<AnsiString>> cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"", {}},
  };
  for (const auto& [text, lines] : cases) {
    TStringList l;
    l.SetText(text);
    ASSERT_EQ(l.Count(), static_cast<int>(lines.size())) << text;
    for (int i = 0; i < l.Count(); ++i) EXPECT_EQ(l[i], lines[static_cast<size_t>(i)]);
  }
  TStringList l;
  l.SetText("x\ny");
  EXPECT_EQ(l.Text(), "x\r\ny\r\n");
}

TEST(TStrings, CommaTextAndValues) {
  TStringList l;
  l.SetCommaText("a, \"b c\",\"d\"\"e\",,f");
  ASSERT_EQ(l.Count(), 5);
  EXPECT_EQ(l[1], "b c");
  EXPECT_EQ(l[2], "d\"e");
  EXPECT_EQ(l[3], "");
  EXPECT_EQ(l.CommaText(), "a,\"b c\",\"d\"\"e\",,f");

  TStringList v;
  v.Add("Port=COM1");
  v.SetValue("port", "COM2");
  v.SetValue("Speed", "9600");
  EXPECT_EQ(v.Values("PORT"), "COM2");
  EXPECT_EQ(v.Names(1), "Speed");
  EXPECT_EQ(v.Count(), 2);
}

TEST(TStrings, AssignCopiesAndChangeFiresOncePerUpdate) {
  TStringList src, dst;
  src.SetText("1\n2\n3");
  int changes = 0;
  dst.OnChange = [&](TObject*) { ++changes; };
  dst.Assign(&src);
  EXPECT_EQ(dst.Text(), src.Text());
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(dst.Assign(nullptr), EConvertError);
}
}  // namespace

#include "platform/classes/Classes.h"

TEST(ComponentTest, RemovedFreeNotificationIsNotCalledLater) {
  struct Watcher : TComponent {
    using TComponent::TComponent;
    int removed = 0;
    void Notification(TComponent*, TOperation op) override { removed += op == TOperation::opRemove; }
  };
  auto* watcher = new Watcher(nullptr);
  auto* watched = new TComponent(nullptr);
  watcher->FreeNotification(watched);
  watcher->RemoveFreeNotification(watched);
  delete watcher;  // must not leave a dangling link in watched
  delete watched;
  auto* w2 = new Watcher(nullptr);
  auto* t2 = new TComponent(nullptr);
  w2->FreeNotification(t2);
  delete t2;
  EXPECT_EQ(w2->removed, 1);
  delete w2;
}
