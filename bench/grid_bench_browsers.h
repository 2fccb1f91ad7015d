// The order-entry browsers timed on the benchmark's database (alias DBDEMOS).
#pragma once

void BenchBrowsers();
