#pragma once

namespace tq {

class TableView;

// The lists' entrance: each visible row starts transparent, 30 points below its place and at a
// fifth of its size, and moves into place while fading in over 0.3 s, each row 0.05 s after the
// row above it. The table itself is then made fully opaque.
void playListEntrance(TableView& table);

}  // namespace tq
