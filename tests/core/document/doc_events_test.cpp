// The document's announcements: each change of data is published once, as
// its own kind, by the operation that makes it; subscriptions end with their
// handles.
#include <gtest/gtest.h>

#include <map>

#include "core/document/doc_edit.h"
#include "core/document/doc_events.h"
#include "core/document/marbeck_doc.h"
#include "core/document/undo_file.h"
#include "core/formats/open_document.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::DocFixture;

// Counts what a document publishes while it lives.
struct Recorder {
    std::map<DocChange, int> seen;
    DocPublisher::Subscription sub;
    explicit Recorder(const CMarbeckDoc& doc) : sub(doc.changes().subscribe([this](DocChange c) { ++seen[c]; })) {}
    std::map<DocChange, int> take() { return std::exchange(seen, {}); }
};

using Seen = std::map<DocChange, int>;
const Seen kSamples{{DocChange::Samples, 1}};
const Seen kSamplesAndLabels{{DocChange::Samples, 1}, {DocChange::Labels, 1}};
const Seen kEdit{{DocChange::Samples, 1}, {DocChange::Labels, 1}, {DocChange::Selection, 1}};

// 1000 samples at 1000 Hz with a label in tier 0 at 600 ms.
void fill(CMarbeckDoc& doc) {
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(1000.0, 1000.0);
    ch.allocate_samples(1000);
    for (std::size_t i = 0; i < 1000; ++i) ch.samples[i] = static_cast<std::int16_t>(i);
    ch.tiers[0].in_use = 1;
    LABEL l;
    l.set_text("a");
    l.time_ms = 600.0;
    ch.tiers[0].labels.push_back(l);
    ch.smooth_on = 1;
    ch.smooth_points = 3.0;
    doc.channel_count = 1;
    doc.loaded = 1;
    sync_document_counts(doc);
}

void select(CMarbeckDoc& doc, double from_ms, double to_ms) {
    doc.channels[0].set_marker_from_ms(from_ms);
    doc.channels[0].extend_selection_to_ms(to_ms);
    doc.selection_active = 1;
}

TEST(DocEvents, EachEditPublishesItsChangesOnce) {
    DocFixture f;
    fill(*f.doc);
    Recorder r(*f.doc);
    EditClip clip;
    select(*f.doc, 100, 200);
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    EXPECT_EQ(r.take(), Seen{}) << "a copy changes nothing";
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    EXPECT_EQ(r.take(), kEdit);
    f.doc->channels[0].set_marker_from_ms(50);
    ASSERT_EQ(paste_clip(*f.doc, clip, false), EditResult::Done);
    EXPECT_EQ(r.take(), kEdit);
    select(*f.doc, 10, 20);
    ASSERT_EQ(clear_to_reference(*f.doc), EditResult::Done);
    EXPECT_EQ(r.take(), kSamples);
    ASSERT_TRUE(apply_reference_gain(*f.doc, 3, 10));
    EXPECT_EQ(r.take(), kSamples);
    ASSERT_TRUE(smooth_channels(*f.doc));
    EXPECT_EQ(r.take(), kSamples);
    f.doc->channels[0].marker_ms = 5;
    set_reference_all(*f.doc, true);
    EXPECT_EQ(r.take(), kSamples);
}

TEST(DocEvents, RefusedEditsPublishNothing) {
    DocFixture f;
    fill(*f.doc);
    Recorder r(*f.doc);
    EditClip other;
    other.holds_data = true;
    other.channel_count = 2;  // the document has one channel
    EXPECT_EQ(paste_clip(*f.doc, other, false), EditResult::Refused);
    EXPECT_EQ(r.take(), Seen{});
}

TEST(DocEvents, PasteIntoAnEmptyDocumentAndUndoPublish) {
    DocFixture f;
    fill(*f.doc);
    EditClip clip;
    select(*f.doc, 100, 700);
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    CMarbeckDoc& empty = f.fresh();
    Recorder r(empty);
    ASSERT_EQ(paste_clip(empty, clip, false), EditResult::Done);
    EXPECT_EQ(r.take(), kEdit);

    UndoFile undo{UndoFile::name_for(f.dir.path().string(), "doc.vxl")};
    ASSERT_TRUE(undo.save(empty));
    EXPECT_EQ(r.take(), Seen{}) << "writing the undo copy changes nothing";
    ASSERT_EQ(undo.restore(empty, false), UndoFile::Restore::Restored);
    EXPECT_EQ(r.take(), kSamplesAndLabels);
}

TEST(DocEvents, OpeningAFilePublishesSamplesAndLabelsOnce) {
    DocFixture f;
    fill(*f.doc);
    const std::string path = f.dir.file("a.wav");
    ASSERT_TRUE(f.doc->write_wave(path, false));
    CMarbeckDoc& doc = f.fresh();
    Recorder r(doc);
    ASSERT_TRUE(open_document(doc, path));
    EXPECT_EQ(r.take(), kSamplesAndLabels);
    // A file no reader takes still replaced the channels (emptied them).
    const std::string junk = f.dir.file("junk.bin");
    test::write_file(junk, std::vector<unsigned char>(64, 1));
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(open_document(doc, junk));
    EXPECT_EQ(r.take(), kSamplesAndLabels);
}

TEST(DocEvents, ADestroyedSubscriptionIsNotCalled) {
    DocFixture f;
    int a = 0, b = 0;
    auto sa = f.doc->changes().subscribe([&](DocChange) { ++a; });
    {
        auto sb = f.doc->changes().subscribe([&](DocChange) { ++b; });
        f.doc->changes().publish(DocChange::Labels);
        EXPECT_TRUE(sb.active());
    }
    f.doc->changes().publish(DocChange::Labels);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(f.doc->changes().subscriber_count(), 1u);
    // A moved handle carries the subscription; the emptied one ends nothing.
    DocPublisher::Subscription moved = std::move(sa);
    EXPECT_FALSE(sa.active());
    f.doc->changes().publish(DocChange::Samples);
    EXPECT_EQ(a, 3);
    moved.reset();
    f.doc->changes().publish(DocChange::Samples);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(f.doc->changes().subscriber_count(), 0u);
}

TEST(DocEvents, AHandlerMayEndItsOwnAndALaterSubscription) {
    DocPublisher pub;
    int first = 0, second = 0;
    DocPublisher::Subscription s1, s2;
    s1 = pub.subscribe([&](DocChange) {
        ++first;
        s1.reset();  // its own
        s2.reset();  // one not yet called in this round
    });
    s2 = pub.subscribe([&](DocChange) { ++second; });
    pub.publish(DocChange::Selection);
    pub.publish(DocChange::Selection);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST(DocEvents, AHandleThatOutlivesItsPublisherIsHarmless) {
    DocPublisher::Subscription s;
    {
        DocPublisher pub;
        s = pub.subscribe([](DocChange) {});
        EXPECT_TRUE(s.active());
    }
    EXPECT_FALSE(s.active());
    s.reset();
}

}  // namespace
}  // namespace vox
