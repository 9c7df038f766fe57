#pragma once

namespace tq {

class StoryboardRegistry;

// Registers every screen of the application, with its layouts and segues, in the storyboards
// "Main" and "Main-ipad".
void registerStoryboards(StoryboardRegistry& registry);

}  // namespace tq
