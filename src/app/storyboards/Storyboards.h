#pragma once

namespace tq {

class StoryboardRegistry;

// Registers every screen of the application, with its layouts and segues, in the storyboards
// ("Main", "Main-ipad" and the others). One line per screen, in Storyboards.cpp.
void registerStoryboards(StoryboardRegistry& registry);

}  // namespace tq
