// The reference optimiser's fit of the answers that the fit benchmark writes: one card a line,
// its answers as "grade:days" (days since the card's previous answer, 0 for the first).
// Prints the weights and the seconds the fit took as JSON on one line.
//
//   node fsrs_reference.mjs answers.txt
// with @open-spaced-repetition/binding installed where Node finds it (NODE_PATH).
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const binding = require('@open-spaced-repetition/binding');

const items = [];
for (const line of readFileSync(process.argv[2], 'utf8').split('\n')) {
    if (!line.trim()) continue;
    const reviews = line.trim().split(' ').map((answer) => {
        const [grade, days] = answer.split(':').map(Number);
        return new binding.FSRSBindingReview(grade, days);
    });
    // One item for every answer predicted: the card's answers up to it, a day or more after
    // the one before.
    for (let end = 2; end <= reviews.length; ++end) {
        if (reviews[end - 1].deltaT > 0) items.push(new binding.FSRSBindingItem(reviews.slice(0, end)));
    }
}
const started = process.hrtime.bigint();
const weights = await binding.computeParameters(items, { enableShortTerm: true });
const seconds = Number(process.hrtime.bigint() - started) / 1e9;
console.log(JSON.stringify({ weights, seconds, items: items.length }));
