// Identifiers of resources that only the test programs carry.
#pragma once

#define IDS_TEST_UMLAUTS 30000
